// Text helpers of the program.
//
//   FormatText("%s heeft %d uur", {"Jan", 8})   Delphi-style format: %s %d %u %x %f %e %g %n %m
//                                               %p with [index:][-][width][.precision]; "%%"
//                                               is "%". Throws EFormatError on a bad format or
//                                               a value that does not fit its specifier.
//   SafeFormat(fmt, values)                      FormatText, or fmt itself when that fails.
//   PadNumber(42, '0', 5) == "00042"             a longer number is not cut.
//   PadLeft / PadRight(text, width, pad)         width <= 0 means 80, empty pad means " ";
//                                               pads one pad text at a time until at least
//                                               width long, then cuts to width characters.
//   RightPart(text, n)                           last n characters; empty when shorter than n.
//   SubText(text, start, count)                  start counts from 1; count < 1: to the end.
//   ReplaceAll(text, pattern, replacement)       left to right, inserted text not searched.
//   TrimText(text)                               removes blanks and control characters around.
//   UpperText(text)                              upper case.
#pragma once

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <stdexcept>

namespace hb {

class EFormatError : public std::runtime_error {
 public:
  explicit EFormatError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

QString FormatText(const QString& format, std::initializer_list<QVariant> values);
QString SafeFormat(const QString& format, std::initializer_list<QVariant> values);

QString PadNumber(qint64 number, QChar pad, int width);
QString PadLeft(const QString& text, int width, const QString& pad = " ");
QString PadRight(const QString& text, int width, const QString& pad = " ");
QString RightPart(const QString& text, int n);
QString SubText(const QString& text, int start, int count);
QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement);
QString TrimText(const QString& text);
QString UpperText(const QString& text);

}  // namespace hb
