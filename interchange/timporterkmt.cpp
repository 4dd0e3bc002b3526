#include "interchange/timporterkmt.h"

#include <cmath>
#include <limits>

#include "engine/tkelmor.h"
#include "interchange/interchangeerrors.h"
#include "interchange/keytypefromname.h"

namespace kelmor {

namespace {

constexpr size_t kMaxText = 255;
constexpr size_t kQuotedTextLimit = 64;  // of a file's text repeated in a message

// An error whose message already names its line.
class EKmtLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void TrimSpaces(std::string& text) {
    const size_t last = text.find_last_not_of(' ');
    if (last == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(last + 1);
    const size_t first = text.find_first_not_of(' ');
    if (first > 0) text.erase(0, first);
}

std::string LowerCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return text;
}

// A text of the file as a message quotes it: at most a few dozen characters.
std::string Quoted(const std::string& text) {
    if (text.size() <= kQuotedTextLimit) return "'" + text + "'";
    return "'" + text.substr(0, kQuotedTextLimit) + "...'";
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;  // the exporter writes capitals only
    return -1;
}

// The value text between the quotes: the value part without its first and last character.
std::string Unquoted(const std::string& value) { return value.size() >= 2 ? value.substr(1, value.size() - 2) : ""; }

}  // namespace

TImporterKMT::TImporterKMT(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database) {
    // A location that names no node yet is created by the import.
    SetStartNode(TKelmorClass::RootNode());
    SetResultCode(kSuccess);
    // (a location typed with a "\" at its end names the same node)
    prefix_ = Location();
    while (!prefix_.empty() && prefix_.back() == '\\') prefix_.pop_back();
    if (!prefix_.empty()) prefix_ += '\\';
    location_ = TImportPaths::SplitLocation(Location());
}

TImporterKMT::~TImporterKMT() { Wait(); }

std::string TImporterKMT::LineSuffix() const { return "\n\n(line #" + std::to_string(reader_.LineCount()) + ")"; }

void TImporterKMT::Fail(const std::string& text) const { throw EKmtLineError(text + LineSuffix()); }

std::string TImporterKMT::ReadSignificantLine() {
    std::string line;
    for (;;) {
        if (!reader_.ReadLine(line)) return "";
        TrimSpaces(line);
        if (!line.empty() && line[0] != ';') return line;
        if (AbortRequested()) return "";
    }
}

void TImporterKMT::Execute() {
    currentNode_ = -1;
    processed_ = 0;
    pendingLinks_.clear();
    if (const int error = reader_.Open(FileName())) {
        SetResultCode(error);
        return;
    }
    paths_ = std::make_unique<TImportPaths>(Database());

    bool valid = false;
    try {
        valid = UpperCaseAscii(ReadSignificantLine()) == "[KELMOR]";
    } catch (const ETextLineTooLong&) {
        valid = false;  // no text file of this format
    } catch (const EInterchangeFileError& error) {
        SetResultCode(error.Code());
    }
    if (valid) {
        ImportLines();
    } else if (ResultCode() == kSuccess) {
        SetResultCode(kInvalidFile);
    }

    // Whatever happened, the node being filled is written back, and the links found so
    // far are made.
    try {
        SaveCurrentNode();
    } catch (const std::exception& error) {
        if (ResultCode() == kSuccess) SetError(error);
    }
    const int closed = reader_.Close();
    if (ResultCode() == kSuccess) SetResultCode(closed);
    try {
        ResolvePendingLinks();
    } catch (const std::exception& error) {
        if (ResultCode() == kSuccess) SetError(error);
    }
    paths_.reset();
}

void TImporterKMT::ImportLines() {
    try {
        ReadSignificantLine();  // the version
        while (!AbortRequested()) {
            const std::string line = ReadSignificantLine();
            if (line.empty()) break;
            try {
                ProcessLine(line);
            } catch (const EKmtLineError&) {
                throw;
            } catch (const ETextLineTooLong&) {
                throw;
            } catch (const std::exception& error) {
                throw EKmtLineError(error.what() + LineSuffix());
            }
            ++processed_;
        }
    } catch (const std::exception& error) {
        SetError(error);
    }
}

void TImporterKMT::ProcessLine(const std::string& line) {
    if (line[0] == '[') {
        ProcessSection(line);
    } else if (line.size() >= 6 && UpperCaseAscii(line.substr(0, 6)) == "LINK:[") {
        ProcessLink(line);
    } else if (line[0] == '"' && currentNode_ >= 0) {
        ProcessKey(line);
    }
    // any other line means nothing
}

void TImporterKMT::SaveCurrentNode() {
    if (currentNode_ < 0) return;
    const int32_t node = currentNode_;
    currentNode_ = -1;
    Database().SaveNode(node);
}

// A path of a file: "\" and the descriptions joined by "\", every one of them taken as it
// is, an empty one too: "[\P\]" is P's child with an empty description, "[\]" (and
// "LINK:[]") a top-level node with one.
TNodePath TImporterKMT::BelowLocation(const std::string& pathText) const {
    TNodePath path = location_;
    const TNodePath components =
        TImportPaths::SplitFilePath(!pathText.empty() && pathText[0] == '\\' ? pathText.substr(1) : pathText);
    path.insert(path.end(), components.begin(), components.end());
    return path;
}

void TImporterKMT::ProcessSection(const std::string& line) {
    SaveCurrentNode();
    const std::string path = line.size() >= 2 ? line.substr(1, line.size() - 2) : "";
    if (processed_ % 10 == 0) Progress(!path.empty() && path[0] == '\\' ? path.substr(1) : path);
    const int32_t node = paths_->FindOrCreate(BelowLocation(path), [this] { return AbortRequested(); });
    // An abort leaves the path unfinished: key lines up to the next section are then
    // ignored.
    if (node < 0) return;
    if (!Database().LoadNode(node)) throw EKelmorNodeIDInvalidError();
    currentNode_ = node;
}

void TImporterKMT::ProcessLink(const std::string& line) {
    SaveCurrentNode();
    const std::string path = line.size() >= 7 ? line.substr(6, line.size() - 7) : "";
    // "LINK:[\]" puts the link below the import location itself
    const TNodePath parentPath = path == "\\" ? location_ : BelowLocation(path);
    const int32_t parent = paths_->FindOrCreate(parentPath, [this] { return AbortRequested(); });
    if (parent < 0) return;  // aborted

    const std::string sourceLine = ReadSignificantLine();
    if (sourceLine.empty()) {
        if (AbortRequested()) return;
        Fail("Unexpected end of file: the link has no source line");
    }
    if (sourceLine[0] != '"') Fail("Expected the source of the link in double quotes");
    const TNodePath source = BelowLocation(Unquoted(sourceLine));
    const int32_t found = paths_->Find(source);
    if (found > 0) {
        CreateLinkTo(parent, found);
    } else {
        pendingLinks_.push_back({source, parent});  // its source may come later in the file
    }
}

void TImporterKMT::CreateLinkTo(int32_t parent, int32_t source) {
    TKelmorClass& engine = Database();
    const int32_t marked = engine.MarkedNode();
    engine.MarkNode(source);
    try {
        engine.CreateLink(parent);
    } catch (...) {
        engine.MarkNode(marked);
        throw;
    }
    engine.MarkNode(marked);
    paths_->LinkCreated(parent, source);
}

void TImporterKMT::ProcessKey(const std::string& line) {
    TKelmorClass& engine = Database();
    const size_t equals = line.find('=');
    if (equals == std::string::npos) Fail("Expected =");
    // between the opening double quote and the closing one just before "="
    const std::string name = line.substr(1, std::min(equals >= 2 ? equals - 2 : 0, kMaxText));
    const size_t colon = line.find(':', equals + 1);
    if (colon == std::string::npos) Fail("Expected :");
    const std::string typeName = LowerCaseAscii(line.substr(equals + 1, colon - equals - 1));
    const std::string value = line.substr(colon + 1);
    const uint8_t type = KeyTypeFromName(typeName);
    if (type == 0) {
        const std::string shown =
            typeName.size() <= kQuotedTextLimit ? typeName : typeName.substr(0, kQuotedTextLimit) + "...";
        Fail("Unknown key type (" + shown + ")");
    }

    // The value is converted before the key it replaces is deleted, so that a line in
    // error leaves the node as it was.
    const TRegionalSettings& settings = engine.RegionalSettings();
    const std::string text = Unquoted(value);
    int64_t integer = 0;
    float single = 0;
    double real = 0;
    int64_t currency = 0;
    std::vector<uint8_t> bytes;
    switch (type) {
        case ktByte:
        case ktInteger:
        case ktLongint:
            if (!ParseInteger(text, integer) || integer < std::numeric_limits<int32_t>::min() ||
                integer > std::numeric_limits<int32_t>::max())
                Fail(Quoted(text) + " is not a valid integer value");
            break;
        case ktFloat:
            if (!ParseSingle(text, settings, single)) {
                // NAN, INF and -INF, as a float's text shows them, are read back too
                if (!ParseDouble(text, settings, real) || std::isfinite(real))
                    Fail(Quoted(text) + " is not a valid floating point value");
                single = static_cast<float>(real);
            }
            break;
        case ktCurrency:
            if (!ParseCurrency(text, settings, currency)) Fail(Quoted(text) + " is not a valid currency value");
            break;
        case ktDouble:
            if (!ParseDouble(text, settings, real)) Fail(Quoted(text) + " is not a valid floating point value");
            break;
        case ktDate:
            if (!ParseDateTime(text, settings, real)) Fail(Quoted(text) + " is not a valid date and time");
            break;
        case ktSequence: bytes = ReadHexBlock(value, kMaxSequenceSize, "sequence"); break;
        case ktBlob: bytes = ReadHexBlock(value, kMaxBlobSize, "blob"); break;
        default: break;  // ktString: the text itself
    }

    if (AbortRequested()) return;  // a block cut short by an abort is not stored
    if (const uint16_t existing = engine.FindKey(name)) engine.DeleteKey(existing);
    switch (type) {
        case ktByte: engine.AddByteKey(name, static_cast<uint8_t>(integer)); break;
        case ktInteger: engine.AddIntegerKey(name, static_cast<int16_t>(integer)); break;
        case ktLongint: engine.AddLongintKey(name, static_cast<int32_t>(integer)); break;
        case ktFloat: engine.AddFloatKey(name, single); break;
        case ktString: engine.AddStringKey(name, text.substr(0, kMaxText)); break;
        case ktSequence: engine.AddSequenceKey(name, bytes.data(), bytes.size()); break;
        case ktBlob: engine.AddBlobKey(name, bytes.data(), bytes.size()); break;
        case ktCurrency: engine.AddCurrencyKey(name, currency); break;
        case ktDouble: engine.AddDoubleKey(name, real); break;
        case ktDate: engine.AddDateKey(name, real); break;
        default: break;
    }
}

// The bytes of a hexadecimal block: "{", lines of two-digit bytes, "}". The block
// starts on the key line after the ":" or, when that holds no "{", on the next line.
std::vector<uint8_t> TImporterKMT::ReadHexBlock(std::string value, size_t capacity, const char* typeName) {
    const size_t last = value.find_last_not_of(' ');
    value.erase(last == std::string::npos ? 0 : last + 1);
    if (!value.empty() && value[0] == '{') {
        value.erase(0, 1);
        if (value.empty()) value = ReadSignificantLine();
    } else {
        value = ReadSignificantLine();
        if (!value.empty()) value.erase(0, 1);  // the "{" on a line of its own
    }

    std::vector<uint8_t> bytes;
    size_t at = 0;
    for (;;) {
        if (at >= value.size()) {
            if (AbortRequested()) break;
            value = ReadSignificantLine();
            at = 0;
            if (value.empty()) {
                if (AbortRequested()) break;
                Fail(std::string("Unexpected end of file: the ") + typeName + " has no closing }");
            }
            continue;
        }
        const char first = value[at];
        if (first == '}') break;
        const bool hasSecond = at + 1 < value.size();
        const char second = hasSecond ? value[at + 1] : '\0';
        int byte = HexDigitValue(first);
        if (byte < 0) Fail("Invalid character in hexadecimal data");
        if (hasSecond && second != '}') {
            const int low = HexDigitValue(second);
            if (low < 0) Fail("Invalid character in hexadecimal data");
            byte = byte * 16 + low;
        }
        if (bytes.size() >= capacity)
            Fail(std::string("Too much data for a ") + typeName + " (at most " + std::to_string(capacity) + " bytes)");
        bytes.push_back(static_cast<uint8_t>(byte));
        if (second == '}') break;  // a single digit closed by "}"; the rest of the line is ignored
        at += 2;
    }
    return bytes;
}

void TImporterKMT::ResolvePendingLinks() {
    if (pendingLinks_.empty() || !paths_) return;
    for (const TPendingLink& link : pendingLinks_) {
        const int32_t source = paths_->Find(link.sourcePath);
        if (source > 0) CreateLinkTo(link.parent, source);
        // a source that is still not there is dropped
    }
    pendingLinks_.clear();
}

}  // namespace kelmor
