// Forces in the simulator's own terms, the same whichever stick is in use: magnitudes and
// strengths 0..1, signed components -1..1, directions in whole degrees (folded into 0..359),
// frequencies 0..50 Hz, jolts of 1..2500 ms (0 or longer gives 2500). Values that are not
// numbers count as 0. A trigger that starts or changes a force does nothing without a stick or
// while its actuators are off; the stop triggers, RestoreStickCentering and the getters need only
// the stick. On the input-device stick they drive its standard effects, on the library stick its
// library calls.
#pragma once

namespace devices {

void JoltStick(int direction, int durationMs, float magnitude);
void StartStickEffect(int index, int direction, float magnitude, float frequency);
void StopStickEffect(int index);
// A vibration between two levels (the wave's magnitude is their mean, its offset half their
// difference); frequency 0 stops it.
void StartXVibration(float first, float second, float frequency);
void StopXVibration();
void StartYVibration(float first, float second, float frequency);
void StopYVibration();
void SetStickVectorForce(int direction, float magnitude);
void SetStickXYForce(float x, float y);
void ClearStickForce();
void StartBuffeting(float strength);
void StopBuffeting();
void SetStickCenterOffset(int axis, float value);
// value 0..1 scaled by theStiffnessScale into percent.
void SetStickCenterStiffness(int axis, float value);
void RestoreStickCentering(int axis);
float GetStickCenterOffset(int axis);
float GetStickCenterStiffness(int axis);

// Stops every force and restores the centring (used when force feedback is released).
void StopForceEffects();

extern double theStiffnessScale;

// The last value sent of each force the per-frame update drives (trunc(value x 100)), so that
// it sends only what changed.
struct ForceUpdateMemory {
    int xStiffness = 0, xOffset = 0, yStiffness = 0, yOffset = 0;
    int buffetLow = 0, buffetHigh = 0, buffetFrequency = 0;
    int turbulenceX = 0, turbulenceY = 0;
};
extern ForceUpdateMemory theForceUpdateMemory;

}  // namespace devices
