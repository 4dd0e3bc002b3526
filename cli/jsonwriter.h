// A small streaming JSON writer for the --json outputs: one document, strings escaped
// (quotes, backslashes, control characters), text given as UTF-8 or as the database's
// Latin-1, numbers as numbers.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace kelmor::cli {

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the open object (UTF-8).
    void Key(const std::string& name);

    void String(const std::string& utf8);
    void Latin1String(const std::string& latin1);
    void Integer(int64_t value);
    // A number in its shortest form that reads back as the same value; NaN and the
    // infinities, which JSON cannot hold, as the strings "NAN", "INF" and "-INF".
    void Double(double value);
    void Float(float value);
    // A number already written as JSON number text (a currency amount, say).
    void NumberText(const std::string& text);
    void Bool(bool value);
    void Null();

    // Ends the document with a line break; every object and array must be closed.
    void Finish();

    // The text as a JSON string literal, quotes included (the UTF-8 is passed through).
    static std::string Quote(const std::string& utf8);

private:
    void BeforeValue();

    std::ostream& out_;
    struct TLevel {
        bool isObject;
        bool empty;
    };
    std::vector<TLevel> levels_;
    bool keyPending_ = false;
};

}  // namespace kelmor::cli
