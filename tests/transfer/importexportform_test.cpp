// The import and export progress window with real jobs on a real database: a job that
// ends closes the window with OK, Abort (or Esc, or the close box) closes it with Cancel
// and stops the job, keeping what was imported; the window waits for its job when it is
// freed; progress texts reach the user-interface thread without the job ever waiting.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include "engine/tkelmor.h"
#include "interchange/jobfactory.h"
#include "tests/testsupport/tempdir.h"
#include "transfer/queuedprogress.h"
#include "transfer/timportexportform.h"
#include "ui/common.h"
#include "ui/tanimationcontrol.h"

using namespace kelmor;

namespace {

using TMode = TImportExportForm::TMode;

// Lines of the long import, and the record at which the tests hold the job until the
// window has done what the test is about.
constexpr int kLongImportLines = 60000;
constexpr int kHeldRecord = 50;

struct TTestDatabase {
    test::TTempDir dir;
    TKelmorClass engine;

    TTestDatabase() {
        if (engine.CreateDatabase(dir / "db", TKelmorClass::MakeLogin("admin", "secret")) != kResultOK)
            qFatal("cannot create the test database");
    }
    int32_t AddNode(const std::string& description, int32_t parent = 0) {
        engine.ClearNode();
        engine.SetDescription(description);
        return engine.CreateNode(parent);
    }
    int ChildCount(int32_t parent = 0) {
        int count = 0;
        TKelmorNodeRec rec;
        for (bool more = engine.FindFirstChild(rec, parent); more; more = engine.FindNextChild(rec)) ++count;
        return count;
    }
    std::string WriteLongCsv() {
        const std::string path = dir / "long.csv";
        std::ofstream csv(path, std::ios::binary);
        for (int line = 1; line <= kLongImportLines; ++line) csv << "Row " << line << "," << line << "\r\n";
        return path;
    }
};

// The progress texts shown, and whether each arrived on the user-interface thread.
struct TShownTexts {
    QStringList texts;
    bool allOnGuiThread = true;
    std::function<void(const QString&)> then;

    std::function<void(const QString&)> Receiver() {
        return [this](const QString& text) {
            allOnGuiThread = allOnGuiThread && QThread::currentThread() == qApp->thread();
            texts << text;
            if (then) then(text);
        };
    }
};

// Holds the job's thread after one progress text until the test lets it go, so that
// what the window does meanwhile lands at a known record (a whole import takes less
// time than the window needs to react).
class TProgressGate {
public:
    TKelmorInOut::TProgressCallback Wrap(TKelmorInOut::TProgressCallback next, std::string holdAfter) {
        return [this, next = std::move(next), holdAfter = std::move(holdAfter)](TKelmorInOut& job,
                                                                                const std::string& text) {
            next(job, text);
            if (text != holdAfter) return;
            std::unique_lock<std::mutex> lock(mutex_);
            held_ = true;
            released_.wait_for(lock, std::chrono::seconds(20), [this] { return open_; });
        };
    }
    void Open() {
        const std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        released_.notify_all();
    }
    bool IsOpen() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return open_;
    }
    bool Held() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return held_;
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    bool open_ = false;
    bool held_ = false;
};

std::string HeldRecordText() { return "Record " + std::to_string(kHeldRecord); }

// The record number of a CSV import's progress text, 0 for other texts.
int RecordNumber(const QString& text) { return text.startsWith(QLatin1String("Record ")) ? text.mid(7).toInt() : 0; }

std::unique_ptr<TKelmorInOut> MakeJob(bool import, TKelmorClass& engine, const std::string& location,
                                      const std::string& fileName, TKelmorInOut::TProgressCallback onProgress) {
    const TJobArguments arguments{std::move(onProgress), location, fileName, engine};
    TJobCreation creation = import ? CreateImportJob(arguments) : CreateExportJob(arguments);
    if (!creation.job) qFatal("no job: %s", creation.reason.c_str());
    return std::move(creation.job);
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

class ImportExportFormTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        SetMessageMainWindow(nullptr);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void WindowShapeAndCaptions() {
        TTestDatabase db;
        TImportExportForm form(MakeJob(false, db.engine, "Root", db.dir / "out.xml", nullptr));
        QCOMPARE(form.windowTitle(), QStringLiteral("Import/Export"));
        QVERIFY(!form.Mode());
        form.SetMode(TMode::Import);
        QCOMPARE(form.windowTitle(), QStringLiteral("Importing Data..."));
        form.SetMode(TMode::Export);
        QCOMPARE(form.windowTitle(), QStringLiteral("Exporting Data..."));
        QCOMPARE(form.size(), QSize(329, 152));
        const Qt::WindowFlags flags = form.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool);
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form.AbortBtn()->text(), QStringLiteral("Abort"));
        QCOMPARE(form.AniLogo()->FrameCount(), TImportExportForm::kLastFrame + 1);
        QVERIFY(!form.AniLogo()->Playing());
        // Never shown: the job never ran, and freeing the window must not wait for it.
    }

    // An export that ends by itself closes the window with OK; its result and its file
    // are there when exec returns, and the progress texts came to the GUI thread.
    void ExportEndsWithOk() {
        TTestDatabase db;
        const int32_t branch = db.AddNode("Branch");
        db.AddNode("Leaf", branch);
        db.AddNode("Caf\xE9", branch);
        QObject receiver;
        TShownTexts shown;
        const std::string file = db.dir / "out.xml";
        TImportExportForm form(
            MakeJob(false, db.engine, "Root\\Branch", file, QueuedProgress(&receiver, shown.Receiver())),
            TMode::Export);

        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QCOMPARE(form.Job().ResultCode(), TKelmorInOut::kSuccess);
        QVERIFY(!form.isVisible());
        QVERIFY(!form.AniLogo()->Playing());
        const std::string xml = ReadText(file);
        QVERIFY(xml.find("description=\"Leaf\"") != std::string::npos);
        QVERIFY(xml.find("description=\"Caf&#xE9;\"") != std::string::npos);

        QTRY_VERIFY(!shown.texts.isEmpty() && shown.texts.last().endsWith(QStringLiteral("Caf\u00E9")));
        QVERIFY(shown.allOnGuiThread);
    }

    // A job that fails still ends the window with OK; the failure is in its result.
    void FailingExportEndsWithOk() {
        TTestDatabase db;
        const std::string file = db.dir / "out.kmt";
        TImportExportForm form(MakeJob(false, db.engine, "Root\\Nowhere", file, nullptr), TMode::Export);
        QCOMPARE(form.exec(), int(QDialog::Accepted));
        QCOMPARE(form.Job().ResultCode(), TKelmorInOut::kUnknownLocation);
    }

    void AbortStopsALongImport_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Abort button") << "button";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("close box") << "close";
    }

    // Aborting closes the window with Cancel at once and asks the job to stop: it stops
    // at its next check, exec returns after it has ended, the nodes it made stay, and its
    // late completion notice changes nothing.
    void AbortStopsALongImport() {
        QFETCH(QString, how);
        TTestDatabase db;
        db.AddNode("Before");
        const std::string csv = db.WriteLongCsv();
        QWidget mainWindow;
        mainWindow.setGeometry(200, 150, 900, 700);
        mainWindow.show();
        SetMessageMainWindow(&mainWindow);

        QObject receiver;
        TShownTexts shown;
        TProgressGate gate;
        std::thread opener;
        TImportExportForm* form = nullptr;
        bool busyWhileRunning = false, playingWhileRunning = false, centred = false, aborted = false;
        shown.then = [&](const QString& text) {
            if (aborted || RecordNumber(text) != kHeldRecord) return;
            aborted = true;
            busyWhileRunning =
                QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            playingWhileRunning = form->AniLogo()->Playing();
            centred = (form->frameGeometry().center() - mainWindow.frameGeometry().center()).manhattanLength() <= 2;
            if (how == QLatin1String("button")) QTest::mouseClick(form->AbortBtn(), Qt::LeftButton);
            else if (how == QLatin1String("escape")) QTest::keyClick(form, Qt::Key_Escape);
            else form->close();
            // The job stays held a while after the window has closed, so that exec has to
            // wait for it.
            opener = std::thread([&gate] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                gate.Open();
            });
        };
        TImportExportForm dialog(MakeJob(true, db.engine, "Root", csv,
                                         gate.Wrap(QueuedProgress(&receiver, shown.Receiver()), HeldRecordText())),
                                 TMode::Import, &mainWindow);
        form = &dialog;

        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        const bool jobWentOnBeforeExecReturned = gate.IsOpen();
        if (opener.joinable()) opener.join();
        QVERIFY(aborted);
        QVERIFY(jobWentOnBeforeExecReturned);
        QVERIFY(busyWhileRunning);
        QVERIFY(playingWhileRunning);
        QVERIFY(centred);
        QVERIFY(!dialog.AniLogo()->Playing());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(dialog.Job().ResultCode(), TKelmorInOut::kSuccess);

        // The job has ended at its first check after the abort: the engine is ours again.
        QCOMPARE(db.ChildCount(), 1 + kHeldRecord);
        QTest::qWait(100);
        QCOMPARE(db.ChildCount(), 1 + kHeldRecord);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QVERIFY(shown.allOnGuiThread);
    }

    // A window freed while its job still runs asks the job to stop and waits for it; the
    // completion notice the job sends meanwhile goes nowhere.
    void FreedWhileTheJobRuns() {
        TTestDatabase db;
        const std::string csv = db.WriteLongCsv();
        QObject receiver;
        TShownTexts shown;
        TProgressGate gate;
        auto form = std::make_unique<TImportExportForm>(
            MakeJob(true, db.engine, "Root", csv,
                    gate.Wrap(QueuedProgress(&receiver, shown.Receiver()), HeldRecordText())),
            TMode::Import);
        form->show();
        QTRY_VERIFY(gate.Held());
        // The job goes on only once the window is being freed.
        std::thread opener([&gate] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            gate.Open();
        });
        form.reset();
        opener.join();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(db.ChildCount(), kHeldRecord);
        QTest::qWait(50);  // whatever the job posted meanwhile is delivered or dropped
        QCOMPARE(db.ChildCount(), kHeldRecord);
    }

    // The job never waits for the receiving thread: a worker reports thousands of texts
    // while the GUI thread handles no events at all; afterwards one queued call shows the
    // latest text, on the GUI thread, converted from Latin-1.
    void ProgressNeverWaitsForTheGuiThread() {
        TTestDatabase db;
        QObject receiver;
        TShownTexts shown;
        const TKelmorInOut::TProgressCallback progress = QueuedProgress(&receiver, shown.Receiver());
        // A job only serves as the callback's first argument here; it is never run.
        auto job = MakeJob(false, db.engine, "Root", db.dir / "unused.xml", nullptr);

        std::atomic<bool> finished{false};
        std::thread worker([&] {
            for (int i = 1; i <= 10000; ++i) progress(*job, "text " + std::to_string(i));
            progress(*job, "last \xE9");
            finished = true;
        });
        for (int i = 0; i < 1000 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool finishedWithoutGui = finished.load();
        worker.join();
        QVERIFY(finishedWithoutGui);
        QVERIFY(shown.texts.isEmpty());

        QCoreApplication::processEvents();
        QCOMPARE(shown.texts, QStringList{QStringLiteral("last \u00E9")});
        QVERIFY(shown.allOnGuiThread);

        // Later texts are queued again.
        progress(*job, "again");
        QCoreApplication::processEvents();
        QCOMPARE(shown.texts.last(), QStringLiteral("again"));
    }
};

QTEST_MAIN(ImportExportFormTest)
#include "importexportform_test.moc"
