/* The vendor force stick's library as the tests stand it in: each entry point writes its call,
 * "stick library: _Name(arguments)", on the standard output (the runner's trace), and the stick
 * starts on port 1 with its forces active. Built with STICK_LIBRARY_PARTIAL it lacks its last
 * entry point, so that binding it fails. */
#include <stdint.h>
#include <stdio.h>

#define EXPORT __attribute__((visibility("default")))

static void Say(const char* call) {
    printf("stick library: %s\n", call);
    fflush(stdout);
}

static void SayNumbers(const char* name, int count, const int32_t* v) {
    char text[160];
    int at = snprintf(text, sizeof text, "%s(", name);
    for (int i = 0; i < count; ++i)
        at += snprintf(text + at, sizeof text - (size_t)at, i == 0 ? "%d" : ",%d", (int)v[i]);
    snprintf(text + at, sizeof text - (size_t)at, ")");
    Say(text);
}

#define ENTRY0(name)                   \
    EXPORT int32_t name(void) {        \
        SayNumbers(#name, 0, NULL);    \
        return 0;                      \
    }
#define ENTRY1(name)                         \
    EXPORT int32_t name(int32_t a) {         \
        const int32_t v[] = {a};             \
        SayNumbers(#name, 1, v);             \
        return 0;                            \
    }
#define ENTRY2(name)                              \
    EXPORT int32_t name(int32_t a, int32_t b) {   \
        const int32_t v[] = {a, b};               \
        SayNumbers(#name, 2, v);                  \
        return 0;                                 \
    }
#define ENTRY3(name)                                         \
    EXPORT int32_t name(int32_t a, int32_t b, int32_t c) {   \
        const int32_t v[] = {a, b, c};                       \
        SayNumbers(#name, 3, v);                             \
        return 0;                                            \
    }

EXPORT int32_t _InitStick(void* info) {
    Say(info != NULL ? "_InitStick(buffer)" : "_InitStick(null)");
    return info != NULL;
}

/* Forces active (bits 0 and 1 of the first byte); not said, as it is asked every frame. */
EXPORT int32_t _GetStickStatus(uint32_t* status) {
    if (status != NULL) *status = 0x03;
    return 0;
}

ENTRY0(_Echo)
ENTRY0(_GetStickError)
ENTRY0(_EnableForces)
ENTRY0(_DisableForces)
ENTRY0(_ClearForces)
ENTRY0(_CloseStick)
ENTRY1(_SetJoystickPort)
ENTRY3(_Jolt)

EXPORT int32_t _ButtonReflexJolt(int32_t button, int32_t magnitude, int32_t direction,
                                 int32_t halfPeriod, int32_t period) {
    const int32_t v[] = {button, magnitude, direction, halfPeriod, period};
    SayNumbers("_ButtonReflexJolt", 5, v);
    return 0;
}

ENTRY1(_ButtonReflexClear)
ENTRY3(_XVibration)
ENTRY0(_XVibrationClear)
ENTRY3(_YVibration)
ENTRY0(_YVibrationClear)
ENTRY1(_Buffeting)
ENTRY0(_BuffetingClear)
ENTRY2(_VectorForce)
ENTRY0(_VectorForceClear)
ENTRY2(_XYVectorForce)
ENTRY0(_EnablePositionReporting)
ENTRY0(_DisablePositionReporting)
ENTRY0(_GetStickPosition)
ENTRY3(_XSpring)
ENTRY0(_XSpringClear)
ENTRY3(_YSpring)
#ifndef STICK_LIBRARY_PARTIAL
ENTRY0(_YSpringClear)
#endif
