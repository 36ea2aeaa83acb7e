// Errors of the expression language.
//
// Every failure to compile or evaluate an expression raises EDbfExpression with one of the
// fixed English messages (for example "Missing closing parentheses"). Division by zero and
// invalid financial arguments are arithmetic errors (EMathError) and are not wrapped.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "dbf/dbfcommon.h"

namespace hb {

// A kind of the engine's error: code that catches EDbfError catches these too.
class EDbfExpression : public EDbfError {
 public:
  explicit EDbfExpression(const std::string& message) : EDbfError(message) {}
};

// "%s" and "%d" in format replaced by the arguments in order.
std::string FormatExprMessage(const char* format, std::initializer_list<std::string_view> args);

// Raises EDbfExpression with the formatted message.
[[noreturn]] void RaiseExprError(const char* format,
                                 std::initializer_list<std::string_view> args = {});

class EMathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class EZeroDivide : public EMathError {
 public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EInvalidArgument : public EMathError {
 public:
  EInvalidArgument() : EMathError("Invalid argument") {}
};

}  // namespace hb
