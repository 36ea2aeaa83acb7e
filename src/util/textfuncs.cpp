#include "util/textfuncs.h"

#include <QList>
#include <QLocale>
#include <cmath>

namespace hb {

namespace {

bool IsIntegral(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
      return true;
    default:
      return false;
  }
}

bool IsNumeric(const QVariant& v) {
  return IsIntegral(v) || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

bool IsText(const QVariant& v) {
  return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray ||
         v.typeId() == QMetaType::QChar || v.typeId() == QMetaType::Char16;
}

// Inserts thousands separators into the integer digits of a formatted number.
QString GroupThousands(const QString& number) {
  qsizetype start = number.startsWith('-') ? 1 : 0;
  qsizetype end = number.indexOf('.');
  if (end < 0) end = number.size();
  QString out = number;
  for (qsizetype i = end - 3; i > start; i -= 3) out.insert(i, '.');
  // Dutch notation: "." groups, "," is the decimal point.
  qsizetype point = out.lastIndexOf('.');
  if (number.contains('.') && point >= 0) out[point] = ',';
  return out;
}

}  // namespace

QString FormatText(const QString& format, std::initializer_list<QVariant> values) {
  const QList<QVariant> args(values);
  QString out;
  int next = 0;
  qsizetype i = 0;
  const qsizetype n = format.size();
  auto fail = [&](const char* why) -> EFormatError {
    return EFormatError(QString("Format '%1' invalid or incompatible with argument (%2)")
                            .arg(format, QString::fromLatin1(why)));
  };
  while (i < n) {
    QChar c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    if (i < n && format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index:][-][width][.precision]type; "*" takes width or precision from the values.
    auto readNumber = [&](int& value) -> bool {
      if (i < n && format[i] == '*') {
        ++i;
        if (next >= args.size() || !IsIntegral(args[next])) throw fail("star");
        value = args[next++].toInt();
        return true;
      }
      qsizetype s = i;
      while (i < n && format[i].isDigit()) ++i;
      if (s == i) return false;
      value = format.mid(s, i - s).toInt();
      return true;
    };
    int number = -1;
    qsizetype mark = i;
    if (readNumber(number) && i < n && format[i] == ':') {
      next = number;
      ++i;
    } else {
      i = mark;
    }
    bool left = false;
    if (i < n && format[i] == '-') {
      left = true;
      ++i;
    }
    int width = -1, precision = -1;
    readNumber(width);
    if (i < n && format[i] == '.') {
      ++i;
      if (!readNumber(precision)) precision = 0;
    }
    if (i >= n) throw fail("incomplete specifier");
    QChar type = format[i].toLower();
    ++i;
    if (next >= args.size()) throw fail("missing value");
    const QVariant& v = args[next++];
    QString text;
    switch (type.unicode()) {
      case 'd':
      case 'u': {
        if (!IsIntegral(v)) throw fail("not an integer");
        qint64 x = v.toLongLong();
        if (type == 'u' && x < 0) x = static_cast<qint64>(static_cast<quint32>(x));
        text = QString::number(x < 0 ? -x : x);
        if (precision > 0 && text.size() < precision) text = text.rightJustified(precision, '0');
        if (x < 0) text.prepend('-');
        break;
      }
      case 'x': {
        if (!IsIntegral(v)) throw fail("not an integer");
        text = QString::number(static_cast<quint64>(v.toLongLong()), 16).toUpper();
        if (precision > 0 && text.size() < precision) text = text.rightJustified(precision, '0');
        break;
      }
      case 'f':
      case 'e':
      case 'g':
      case 'n':
      case 'm': {
        if (!IsNumeric(v)) throw fail("not a number");
        double x = v.toDouble();
        if (type == 'e') {
          text = QString::number(x, 'E', precision < 0 ? 15 : precision);
        } else if (type == 'g') {
          text = QString::number(x, 'g', precision < 0 ? 15 : precision);
        } else {
          text = QString::number(x, 'f', precision < 0 ? 2 : precision);
          if (type == 'n' || type == 'm') text = GroupThousands(text);
          if (type == 'm') text.prepend(QString::fromUtf8("\u20ac "));
        }
        break;
      }
      case 's': {
        if (!IsText(v)) throw fail("not a text");
        text = v.toString();
        if (precision >= 0) text = text.left(precision);
        break;
      }
      case 'p': {
        text = QString::number(v.toULongLong(), 16).toUpper().rightJustified(8, '0');
        break;
      }
      default:
        throw fail("unknown type");
    }
    if (width > text.size()) text = left ? text.leftJustified(width) : text.rightJustified(width);
    out += text;
  }
  return out;
}

QString SafeFormat(const QString& format, std::initializer_list<QVariant> values) {
  try {
    return FormatText(format, values);
  } catch (const EFormatError&) {
    return format;
  }
}

QString PadNumber(qint64 number, QChar pad, int width) {
  return QString::number(number).rightJustified(width, pad);
}

namespace {
QString Pad(const QString& text, int width, const QString& pad, bool onLeft) {
  if (width <= 0) width = 80;
  const QString unit = pad.isEmpty() ? QString(" ") : pad;
  QString out = text;
  while (out.size() < width) out = onLeft ? unit + out : out + unit;
  return out.left(width);
}
}  // namespace

QString PadLeft(const QString& text, int width, const QString& pad) {
  return Pad(text, width, pad, true);
}

QString PadRight(const QString& text, int width, const QString& pad) {
  return Pad(text, width, pad, false);
}

QString RightPart(const QString& text, int n) {
  if (n < 0 || text.size() < n) return {};
  return text.right(n);
}

QString SubText(const QString& text, int start, int count) {
  if (start < 1) start = 1;
  if (start > text.size()) return {};
  return count < 1 ? text.mid(start - 1) : text.mid(start - 1, count);
}

QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement) {
  if (pattern.isEmpty()) return text;
  QString out = text;
  return out.replace(pattern, replacement);
}

QString TrimText(const QString& text) {
  qsizetype b = 0, e = text.size();
  while (b < e && text[b].unicode() <= ' ') ++b;
  while (e > b && text[e - 1].unicode() <= ' ') --e;
  return text.mid(b, e - b);
}

QString UpperText(const QString& text) {
  return text.toUpper();
}

}  // namespace hb
