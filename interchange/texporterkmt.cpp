#include "interchange/texporterkmt.h"

#include "engine/tkelmor.h"
#include "interchange/currentdatetime.h"
#include "interchange/interchangeerrors.h"
#include "interchange/toutputfile.h"
#include "interchange/versiontext.h"

namespace kelmor {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr const char* kLineEnd = "\r\n";
}  // namespace

TExporterKMT::TExporterKMT(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database), exportDate_(CurrentDateTime()) {}

TExporterKMT::~TExporterKMT() { Wait(); }

void TExporterKMT::Execute() {
    // A location that names no node leaves the chosen file as it was.
    if (StartNode() < 0) {
        SetResultCode(kUnknownLocation);
        return;
    }
    TKelmorClass& engine = Database();
    TOutputFile file;
    SetResultCode(file.Create(FileName()));
    if (ResultCode() != kSuccess) return;
    out_ = &file;
    lastLinkParent_ = -1;
    settings_ = ExportRegionalSettings(engine.RegionalSettings());
    try {
        file.Write(std::string("[KELMOR]") + kLineEnd + "[" + VersionText() + "]" + kLineEnd + kLineEnd +
                   "; Exported from " + engine.GetFileName() + kLineEnd + "; " +
                   FormatDateTime("ddddd", exportDate_, settings_) + kLineEnd + kLineEnd);
        // An error while walking (a damaged record, a blob that cannot be read) ends the
        // export with its own message.
        WalkBranch(engine, StartNode(), *this, [this] { return AbortRequested(); });
    } catch (const EInterchangeFileError& error) {
        SetResultCode(error.Code());
    } catch (const std::exception& error) {
        SetError(error);
    }
    out_ = nullptr;
    const int closed = file.Close();
    if (ResultCode() == kSuccess) SetResultCode(closed);
}

void TExporterKMT::EnterNode(int32_t, const std::string& path) {
    TKelmorClass& engine = Database();
    Progress(path);
    line_ = "[" + path + "]" + kLineEnd;
    out_->Write(line_);
    for (uint16_t key = 1; key <= engine.KeyCount() && !AbortRequested(); ++key) WriteKey(key);
    out_->Write(kLineEnd);
}

void TExporterKMT::WriteKey(uint16_t key) {
    TKelmorClass& engine = Database();
    const uint8_t type = engine.KeyType(key);
    const char* typeName = KeyTypeName(type);
    if (*typeName == '\0') return;  // an item of a damaged record that is no key type
    line_.assign(" \"");
    line_.append(engine.GetKeyName(key)).append("\"=").append(typeName).append(":");
    if (type != ktSequence && type != ktBlob) {
        // a date with the year in four digits, whatever the short date shows
        const std::string value =
            type == ktDate ? FormatDateTime("c", engine.GetDateKey(key), settings_) : engine.KeyValueText(key);
        line_.append("\"").append(value).append("\"").append(kLineEnd);
        out_->Write(line_);
        return;
    }
    std::vector<uint8_t> bytes;
    if (type == ktSequence) {
        const std::string sequence = engine.GetSequenceKey(key);
        bytes.assign(sequence.begin(), sequence.end());
    } else {
        bytes = engine.GetBlobKey(key);
    }
    line_ += "{\r\n  ";
    for (size_t i = 0; i < bytes.size(); ++i) {
        line_ += kHexDigits[bytes[i] >> 4];
        line_ += kHexDigits[bytes[i] & 15];
        if ((i + 1) % kHexBytesPerLine == 0) line_ += "\r\n  ";
    }
    line_ += "\r\n }\r\n";
    out_->Write(line_);
}

void TExporterKMT::VisitLink(int32_t parent, int32_t link) {
    TKelmorClass& engine = Database();
    std::string sourcePath;
    try {
        sourcePath = FullNodePath(engine, engine.GetLinkSource(link));
        if (parent != lastLinkParent_) {
            // directly below the root the path is empty: "LINK:[\]"
            lastLinkParentPath_ = FullNodePath(engine, parent);
            lastLinkParent_ = parent;
        }
    } catch (const EKelmorSourceNodeBrokenError&) {
        return;  // a link whose source is gone is left out
    } catch (const EKelmorAccessDenied&) {
        return;  // and so is one whose source the user may not read
    }
    // "LINK:[\]" stands for the root (below the import location); a top-level node with an
    // empty description, whose path is empty too, is written "LINK:[]"
    const bool emptyTopLevel = parent != TKelmorClass::RootNode() && lastLinkParentPath_.empty();
    line_ = emptyTopLevel ? std::string("LINK:[]") : "LINK:[\\" + lastLinkParentPath_ + "]";
    line_ += kLineEnd;
    line_ += " \"\\" + sourcePath + "\"" + kLineEnd + kLineEnd;
    out_->Write(line_);
}

}  // namespace kelmor
