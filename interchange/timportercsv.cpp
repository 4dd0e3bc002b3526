#include "interchange/timportercsv.h"

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "engine/tkelmor.h"
#include "interchange/interchangeerrors.h"
#include "interchange/recordkeyrules.h"

namespace kelmor {

namespace {
constexpr size_t kReadBlockSize = 64 * 1024;
constexpr size_t kMaxDescription = 255;
}  // namespace

TImporterCSV::TImporterCSV(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database) {
    SetResultCode(kSuccess);  // a location that names no node is created when the job runs
    Progress("Parsing CSV File...");
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("\"" + fileName + "\" is not a file that can be read.");
    file_.open(fileName, std::ios::binary);
    if (!file_) throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    options_.SetFlags(TImporterOptions::kDefaultFlags);
    reader_ = std::make_unique<TCSVReader>(file_, kReadBlockSize);
    csvOptions_ = std::make_unique<TCSVOptions>(options_, *reader_, false);
    options_.SetOptionsForm(csvOptions_.get());
}

TImporterCSV::~TImporterCSV() { Wait(); }

void TImporterCSV::Execute() {
    Progress("Importing CSV...");
    if (StartNode() == -1) SetStartNode(FindOrCreatePath(Location()));

    TKelmorClass& engine = Database();
    const TRegionalSettings settings = engine.RegionalSettings();
    const std::vector<TKeyTarget> targets = KeyTargetsOf(options_);
    const int optionFields = static_cast<int>(targets.size());
    const bool firstFieldIsKey = !options_.HasFlag(TImporterOptions::kFirstFieldNotKey);
    const bool skipEmpty = options_.HasFlag(TImporterOptions::kSkipEmptyValues);
    std::string progress;

    while (!AbortRequested() && reader_->NextRecord()) {
        const int lineFields = reader_->FieldCount();
        if (lineFields != optionFields) fieldsMismatch_ = true;
        const auto line = [this] { return std::to_string(reader_->LineCount()); };
        engine.ClearNode();
        // The first field of the line always gives the description (an empty one when the
        // line has no field), so that the record's items stay in their places.
        try {
            const std::string_view first = lineFields > 0 ? reader_->Field(1) : std::string_view();
            engine.SetDescription(first.substr(0, kMaxDescription));
        } catch (const std::exception&) {
            throw std::runtime_error("Unable to set description.\n\n(line #" + line() + ")");
        }
        const int last = std::min(lineFields, optionFields);
        for (int field = firstFieldIsKey ? 1 : 2; field <= last; ++field) {
            const auto where = [&] { return "(line #" + line() + ", field #" + std::to_string(field) + ")"; };
            try {
                AddKeyFromText(engine, targets[static_cast<size_t>(field - 1)], reader_->Field(field), skipEmpty,
                               settings);
            } catch (const EValueTooLarge& error) {
                throw std::runtime_error("Unable to set key value.\n\n" + std::string(error.what()) + "\n\n" + where());
            } catch (const std::exception&) {
                throw std::runtime_error("Unable to set key value.\n\n" + where());
            }
        }
        engine.CreateNode(StartNode());
        progress.assign("Record ");
        progress.append(line());
        Progress(progress);
    }
}

}  // namespace kelmor
