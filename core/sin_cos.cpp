#include "core/sin_cos.h"

#include <cmath>

namespace core {

void SinCos(double angle, double* sine, double* cosine) {
    // Both from the same argument in one place; the compiler may fuse them into one evaluation.
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    if (sine != nullptr) *sine = s;
    if (cosine != nullptr) *cosine = c;
}

}  // namespace core
