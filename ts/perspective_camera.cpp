#include "ts/perspective_camera.h"

namespace ts {

void TSPerspectiveCamera::SetTransform(const CameraTransform& t) {
    transform = t;
    // A rotation's inverse is its transpose; the translation is carried back through it.
    // Element order m00 m10 m01 m11 m20 m21 m02 m12 m22: index[row][column].
    static const int index[3][3] = {{0, 2, 6}, {1, 3, 7}, {4, 5, 8}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            inverse.m[index[r][c]] = t.m[index[c][r]];
    for (int r = 0; r < 3; ++r) {
        float sum = 0.0f;
        for (int c = 0; c < 3; ++c)
            sum += inverse.m[index[r][c]] * t.p[c];
        inverse.p[r] = -sum;
    }
}

}  // namespace ts
