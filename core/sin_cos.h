// The sine and cosine of one angle together, for building rotation matrices.
#pragma once

namespace core {

// Stores sin(angle) and cos(angle), angle in radians, in double precision.
void SinCos(double angle, double* sine, double* cosine);

}  // namespace core
