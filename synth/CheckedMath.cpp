// Messages of the checked arithmetic.
#include "synth/CheckedMath.h"

namespace tarmel::synth {

namespace {
std::string describe(const std::string& kind, const std::string& operation, const Where& where) {
    std::string msg = kind + ": " + operation;
    if (where.what != nullptr && where.what[0] != '\0') {
        msg += " (";
        msg += where.what;
        if (where.sample >= 0) {
            msg += ", sample " + std::to_string(where.sample);
        }
        msg += ")";
    } else if (where.sample >= 0) {
        msg += " (sample " + std::to_string(where.sample) + ")";
    }
    return msg;
}
} // namespace

void throwOverflow(const std::string& operation, const Where& where) {
    throw OverflowError(describe("Overflow", operation, where));
}

void throwFloatingPoint(const std::string& operation, const Where& where) {
    throw FloatingPointError(describe("Floating-point error", operation, where));
}

void throwDivisionByZero(const std::string& operation, const Where& where) {
    throw DivisionByZeroError(describe("Division by zero", operation, where));
}

} // namespace tarmel::synth
