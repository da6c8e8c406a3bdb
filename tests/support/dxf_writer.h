// Writes DXF group records as ASCII or binary DXF, for tests, seeds and benchmarks.
//
// A record is a group code and its value; the value's kind follows from the code's range
// (text, double, 16-bit, 32-bit or 64-bit integer, boolean). ASCII files write the code and
// the value on lines of their own, doubles with 17 significant digits; binary files start
// with the binary sentinel and write 2-byte codes and little-endian values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane_test {

class DxfWriter {
public:
    enum class Kind { Text, Double, Int16, Int32, Int64, Bool };
    // The value kind of a group code.
    static Kind KindOf(int code);

    DxfWriter& Text(int code, const std::string& value);
    DxfWriter& Number(int code, double value);
    // The common frame: SECTION / name ... ENDSEC, and the closing EOF.
    DxfWriter& Section(const std::string& name) { return Text(0, "SECTION").Text(2, name); }
    DxfWriter& EndSection() { return Text(0, "ENDSEC"); }
    DxfWriter& Eof() { return Text(0, "EOF"); }

    std::string Ascii() const;
    std::string Binary() const;

private:
    struct Record {
        int code;
        std::string text;
        double number;
    };
    std::vector<Record> records_;
};

}  // namespace corvane_test
