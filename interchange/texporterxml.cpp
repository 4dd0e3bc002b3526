#include "interchange/texporterxml.h"

#include "engine/fileio.h"
#include "engine/tkelmor.h"
#include "interchange/base64.h"
#include "interchange/currentdatetime.h"
#include "interchange/toutputfile.h"
#include "interchange/txmlwriter.h"
#include "interchange/versiontext.h"

namespace kelmor {

namespace {
constexpr size_t kBase64LineLength = 80;
}

TExporterXML::TExporterXML(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database), exportDate_(CurrentDateTime()) {}

TExporterXML::~TExporterXML() { Wait(); }

void TExporterXML::Execute() {
    // A location that names no node leaves the chosen file as it was.
    if (StartNode() < 0) {
        SetResultCode(kUnknownLocation);
        return;
    }
    TKelmorClass& engine = Database();
    TOutputFile file;
    if (const int error = file.Create(FileName())) {
        SetError("Cannot create file \"" + FileName() + "\". " + ErrorText(error));
        return;
    }
    try {
        TXMLWriter writer(file, true, true);
        writer_ = &writer;
        attributes_.Clear();
        attributes_.AddAttribute("version", VersionText());
        attributes_.AddAttribute("filename", engine.GetFileName());
        attributes_.AddAttribute("date", FormatDateTime("yyyymmdd", exportDate_, engine.RegionalSettings()));
        attributes_.AddAttribute("dp", std::string(1, engine.RegionalSettings().decimalSeparator));
        writer.OpenElement("kelmor", &attributes_);
        // An error while walking (a damaged record, a blob that cannot be read) ends the
        // export with its own message.
        WalkBranch(engine, StartNode(), *this, [this] { return AbortRequested(); });
        writer.CloseElement();
        writer_ = nullptr;
        if (const int error = file.Close()) SetError("Cannot write file \"" + FileName() + "\". " + ErrorText(error));
    } catch (const std::exception& error) {
        writer_ = nullptr;
        SetError(error);
    }
    attributes_.Clear();
}

void TExporterXML::EnterNode(int32_t, const std::string& path) {
    TKelmorClass& engine = Database();
    Progress(path);
    attributes_.Clear();
    attributes_.AddAttribute("description", engine.GetDescription());
    writer_->OpenElement("node", &attributes_);
    for (uint16_t key = 1; key <= engine.KeyCount() && !AbortRequested(); ++key) WriteValue(key);
}

void TExporterXML::WriteValue(uint16_t key) {
    TKelmorClass& engine = Database();
    const uint8_t type = engine.KeyType(key);
    const std::string typeName = KeyTypeName(type);
    if (typeName.empty()) return;  // an item of a damaged record that is no key type
    attributes_.Clear();
    attributes_.AddAttribute("description", engine.GetKeyName(key));
    attributes_.AddAttribute("type", typeName);
    writer_->OpenElement("value", &attributes_);
    switch (type) {
        case ktSequence: {
            const std::string bytes = engine.GetSequenceKey(key);
            writer_->WriteRaw(
                Base64Encode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), kBase64LineLength));
            break;
        }
        case ktBlob: {
            const std::vector<uint8_t> bytes = engine.GetBlobKey(key);
            writer_->WriteRaw(Base64Encode(bytes.data(), bytes.size(), kBase64LineLength));
            break;
        }
        case ktDate:
            writer_->WriteText(FormatDateTime("yyyymmdd", engine.GetDateKey(key), engine.RegionalSettings()));
            break;
        default: writer_->WriteText(engine.KeyValueText(key)); break;
    }
    writer_->CloseElement();
}

void TExporterXML::LeaveNode(int32_t) { writer_->CloseElement(); }

void TExporterXML::VisitLink(int32_t, int32_t link) {
    TKelmorClass& engine = Database();
    std::string sourcePath;
    try {
        sourcePath = FullNodePath(engine, engine.GetLinkSource(link));
    } catch (const EKelmorSourceNodeBrokenError&) {
        return;  // a link whose source is gone is left out
    } catch (const EKelmorAccessDenied&) {
        return;  // and so is one whose source the user may not read
    }
    attributes_.Clear();
    attributes_.AddAttribute("source", sourcePath);
    writer_->OpenElement("link", &attributes_);
    writer_->CloseElement();
}

}  // namespace kelmor
