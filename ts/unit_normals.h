// The fixed table of 256 unit normals: a vertex of a keyframe mesh carries its normal as one
// byte, an index into this table, and the light set lights a point by normal index.
#pragma once

#include "ts/maths.h"

namespace ts {

inline constexpr int kUnitNormalCount = 256;
extern const Vector3F theUnitNormals[kUnitNormalCount];

// The index of the entry nearest the vector (ties keep the lower index); -1 when no entry is
// closer than 10, which a finite vector of sensible length never is.
[[nodiscard]] int NearestNormal(const Vector3F& v);
// Entry i (i is taken modulo 256).
[[nodiscard]] inline const Vector3F& NormalByIndex(int i) {
    return theUnitNormals[i & (kUnitNormalCount - 1)];
}

}  // namespace ts
