#include "core/numeric.h"

namespace core {

CrtRandom& TheRandom() {
    static CrtRandom generator;
    return generator;
}

}  // namespace core
