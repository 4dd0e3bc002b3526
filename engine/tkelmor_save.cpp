// TKelmorClass: saving (flushing) through the commit journal.
#include <array>
#include <cerrno>
#include <random>

#include "engine/journal.h"
#include "engine/kelmorerrors.h"
#include "engine/scramble.h"
#include "engine/tkelmor.h"

namespace kelmor {

int TKelmorClass::Flush() {
    if (!IsOpen() || readOnly_) return kResultOK;
    lastErrorText_.clear();
    const int error = WriteIndex();
    if (error == 0) modified_ = false;
    return error == 0 ? kResultOK : ResultFromErrno(error);
}

TCommittedSizes TKelmorClass::CommittedSizes() const {
    TCommittedSizes committed;
    if (dataFile_.IsOpen()) committed.sizes[static_cast<size_t>(TJournalFile::Data)] = records_.CommittedSize();
    if (blobFile_.IsOpen()) committed.sizes[static_cast<size_t>(TJournalFile::Blob)] = blobData_.CommittedSize();
    return committed;
}

void TKelmorClass::SecureCommittedSizes() {
    TJournalWriter journal;
    if (const int error = journal.Begin(baseName_, CommittedSizes()))
        throw EKelmorFileError("Error creating " + JournalTempPath(baseName_) + ": " + ErrorText(error), error);
    journal.SecureCommittedSizes();
    journal.LeaveForNextOpen();
}

void TKelmorClass::CutBackScratchData() {
    const std::string uncommitted = JournalTempPath(baseName_);
    if (!FileExists(uncommitted)) return;
    const TJournalFiles files{
        {nullptr, dataFile_.IsOpen() ? &dataFile_ : nullptr, blobFile_.IsOpen() ? &blobFile_ : nullptr}};
    // When a file cannot be cut back, the journal stays for the next open to do it.
    if (CutBackToCommittedSizes(uncommitted, files) == 0) RemoveFile(uncommitted);
}

// Writes the index, compacting the data and blob files: new tails straight into the files,
// everything else through the commit journal. Returns 0 or an errno value (lastErrorText_
// says more).
int TKelmorClass::WriteIndex() {
    const std::string journalPath = JournalPath(baseName_);
    TJournalFiles targets{{&indexFile_, &dataFile_, blobFile_.IsOpen() ? &blobFile_ : nullptr}};
    if (journalPending_) {
        if (const int error = ApplyJournal(journalPath, targets)) {
            lastErrorText_ = "Completing the last save failed: " + ErrorText(error);
            return error;
        }
        RemoveFile(journalPath);
        journalPending_ = false;
    }

    // Before the commit the files hold the last save (behind their ends at most bytes that
    // nothing refers to, which a failure cuts off again): a failure says so.
    auto notSaved = [this](const std::string& cause) {
        lastErrorText_ =
            "The database could not be saved: " + cause + ". Its files are as the last completed save left them.";
    };
    // Every scratch byte goes to its place behind the committed end first: most of them are
    // where the compacted file wants them.
    try {
        records_.WriteOutPending();
        blobData_.WriteOutPending();
    } catch (const EKelmorFileError& error) {
        // Without scratch data behind the committed ends the sizes on disk are of no use.
        if (!records_.HasDataBehindEnd() && !blobData_.HasDataBehindEnd()) RemoveFile(JournalTempPath(baseName_));
        notSaved(error.what());
        return error.ErrnoValue() != 0 ? error.ErrnoValue() : EIO;
    }

    std::vector<TStoreLocation*> recordItems;
    recordItems.reserve(nodes_.Count());
    std::vector<TNodeSlot*> recordSlots;
    recordSlots.reserve(nodes_.Count());
    nodes_.ForEach([&](TNodeSlot* slot) {
        if (slot->entry.IsLink()) return;
        recordSlots.push_back(slot);
        recordItems.push_back(&slot->record);
    });
    // A blob file that could not be opened is left alone: its blobs keep their places.
    const bool withBlobFile = blobFile_.IsOpen();
    std::vector<TKelmorBlobEntry*> blobEntries;
    if (withBlobFile) blobEntries = blobs_.InStoredOrder();
    std::vector<TStoreLocation*> blobItems;
    blobItems.reserve(blobEntries.size());
    for (TKelmorBlobEntry* blob : blobEntries) blobItems.push_back(&blob->data);

    const std::vector<const TStoreLocation*> recordView(recordItems.begin(), recordItems.end());
    const std::vector<const TStoreLocation*> blobView(blobItems.begin(), blobItems.end());
    const TCompactionPlan dataPlan = records_.PlanCompaction(recordView, kFileHeadSize);
    const TCompactionPlan blobPlan = blobData_.PlanCompaction(blobView, kFileHeadSize);
    if (dataPlan.newSize > INT32_MAX || blobPlan.newSize > INT32_MAX) {
        notSaved("the data or blob file would grow beyond 2 GiB, the largest size the format can address");
        return EFBIG;
    }
    for (size_t i = 0; i < recordSlots.size(); ++i)
        recordSlots[i]->entry.dataPosition = static_cast<int32_t>(dataPlan.newOffsets[i]);
    for (size_t i = 0; i < blobEntries.size(); ++i)
        blobEntries[i]->position = static_cast<int32_t>(blobPlan.newOffsets[i]);

    // The header changes only when the save is committed: a failed save is tried again
    // from the same state (the heads of old files included).
    const bool headsMissing = header_.majorVersion < 2 && header_.minorVersion <= 9;
    TKelmorHeader header = header_;
    std::vector<uint8_t> index = BuildIndexFile(header);
    const auto stamp = static_cast<uint16_t>(std::uniform_int_distribution<int>(0, 65534)(random_));
    const uint8_t stampBytes[2] = {static_cast<uint8_t>(stamp), static_cast<uint8_t>(stamp >> 8)};
    std::copy(stampBytes, stampBytes + 2, index.begin() + kStampOffset);

    // The ends of the data and blob files now (the committed ends, and the scratch data
    // behind them): whatever a save writes behind them is referenced by nothing, not even
    // by the session. The index goes through the journal whole: a reader checks its length
    // against its header.
    std::array<uint64_t, 3> ends{kUnknownFileSize, kUnknownFileSize, kUnknownFileSize};
    for (size_t file = 1; file < 3; ++file) {
        TFileHandle* target = targets.files[file];
        if (!target) continue;
        if (const int error = target->Size(ends[file])) {
            notSaved(target->Path() + ": " + ErrorText(error));
            return error;
        }
    }
    TJournalWriter journal;
    if (const int error = journal.Begin(baseName_, CommittedSizes())) {
        notSaved(JournalTempPath(baseName_) + ": " + ErrorText(error));
        return error;
    }
    TSaveTarget indexTarget(journal, TJournalFile::Index, indexFile_, ends[0]);
    TSaveTarget dataTarget(journal, TJournalFile::Data, dataFile_, ends[1]);
    TSaveTarget blobTarget(journal, TJournalFile::Blob, blobFile_, ends[2]);
    // Nothing committed: the files go back to their ends, and the journal goes too unless a
    // file could not be cut back, or the session's scratch data lies behind the committed
    // ends (the next open for writing then cuts them back).
    auto abandon = [&](int error, const std::string& cause) {
        bool cutBack = true;
        for (TSaveTarget* target : {&indexTarget, &dataTarget, &blobTarget})
            cutBack = target->CutBack() == 0 && cutBack;
        if (cutBack && !records_.HasDataBehindEnd() && !blobData_.HasDataBehindEnd()) journal.Abandon();
        else journal.LeaveForNextOpen();
        notSaved(cause);
        return error != 0 ? error : EIO;
    };
    try {
        indexTarget.Write(0, index.data(), index.size());
        indexTarget.Truncate(index.size());
        struct TPlanned {
            TSaveTarget& target;
            TRecordStore& store;
            const TCompactionPlan& plan;
        };
        for (const TPlanned& planned :
             {TPlanned{dataTarget, records_, dataPlan}, TPlanned{blobTarget, blobData_, blobPlan}}) {
            if (&planned.target == &blobTarget && !withBlobFile) continue;
            if (headsMissing) planned.target.Write(0, kFileHeadTemplate.data(), kFileHeadSize);
            planned.target.Write(kStampOffset, stampBytes, 2);
            for (const TCopyRun& run : planned.plan.runs) {
                if (planned.store.IsInPlace(run)) {
                    planned.target.KeepInPlace();
                    continue;
                }
                planned.target.Copy(run.destination, run.length, [&](uint64_t done, uint8_t* buffer, size_t n) {
                    planned.store.ReadRaw(run.fromScratch, run.source + done, buffer, n);
                });
            }
            planned.target.Truncate(planned.plan.newSize);
        }
        for (TSaveTarget* target : {&indexTarget, &dataTarget, &blobTarget}) {
            if (const int error = target->SyncTail())
                throw EKelmorFileError("Error writing the database files: " + ErrorText(error), error);
        }
    } catch (const EKelmorError& error) {
        const auto* fileError = dynamic_cast<const EKelmorFileError*>(&error);
        return abandon(fileError ? fileError->ErrnoValue() : EIO, error.what());
    }
    ReachFlushPoint(TFlushPoint::TailsWritten);
    const int commitError = journal.Commit();
    if (commitError && !journal.Committed())
        return abandon(commitError, JournalPath(baseName_) + ": " + ErrorText(commitError));

    // Committed: from here on the new state is the database, whatever happens.
    header_ = header;
    records_.Commit(recordItems, dataPlan);
    if (withBlobFile) blobData_.Commit(blobItems, blobPlan);
    stamp_ = stamp;
    ReachFlushPoint(TFlushPoint::JournalCommitted);
    const int error = commitError ? commitError : ApplyJournal(journalPath, targets);
    records_.AllowWritingBehindEnd(error == 0);
    blobData_.AllowWritingBehindEnd(error == 0);
    if (error) {
        journalPending_ = true;
        lastErrorText_ = "Writing the database files failed (" + ErrorText(error) +
                         "); the save completes when the database is next opened.";
        return error;
    }
    RemoveFile(journalPath);
    return 0;
}

}  // namespace kelmor
