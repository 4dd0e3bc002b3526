// One running program per user: a second start hands its command-line path to the
// running instance and ends with exit code 1; a socket left behind is replaced.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "app/commandlinepath.h"
#include "app/tsingleinstance.h"
#include "tests/gui/guitestsupport.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// Starts the program as a second instance and waits for it to end.
int RunSecondStart(const QStringList& arguments, const QString& workingDirectory, const QString& tag) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("KELMOR_INSTANCE_TAG", tag);
    environment.insert("KELMOR_NO_FILE_ASSOCIATION", "1");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(workingDirectory);
    program.start(QStringLiteral(KELMOR_PROGRAM), arguments);
    // The hand-over is answered by our event loop while we wait.
    QElapsedTimer clock;
    clock.start();
    while (program.state() != QProcess::NotRunning && clock.elapsed() < 20000) QTest::qWait(20);
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished();
        return -1;
    }
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
}

// Leaves a socket file that nobody listens on, as a killed instance does.
bool LeaveStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return bound && QFile::exists(path);
}

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void commandLinePath_data();
    void commandLinePath();
    void serverNameCarriesTheUserId();
    void secondStartHandsOverItsPath();
    void secondStartWithoutArgumentsOnlyRaises();
    void staleSocketIsReplaced();
    void liveInstanceKeepsItsName();
    void handOverTextIsLimitedToTheBlock();
    void withoutAServerTheProgramRunsAlone();
};

void SingleInstanceTest::commandLinePath_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("absolute") << QStringList({"/data/stock.idx"}) << "/data/stock.idx";
    QTest::newRow("relative") << QStringList({"stock.idx"}) << "/work/here/stock.idx";
    QTest::newRow("quoted path with a blank") << QStringList({"My Data/stock.idx"}) << "/work/here/My Data/stock.idx";
    QTest::newRow("unquoted: joined with one blank") << QStringList({"/My", "Data/stock.idx"}) << "/My Data/stock.idx";
}

void SingleInstanceTest::commandLinePath() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(GetCommandLinePath(arguments, "/work/here"), expected);
}

void SingleInstanceTest::serverNameCarriesTheUserId() {
    qputenv("KELMOR_INSTANCE_TAG", "");
    const QString name = QFileInfo(TSingleInstance::ServerName()).fileName();
    QCOMPARE(name, QStringLiteral("KELMORMANAGER") + QString::number(getuid()));
}

void SingleInstanceTest::secondStartHandsOverItsPath() {
    const QString tag = QStringLiteral("handover%1").arg(QCoreApplication::applicationPid());
    qputenv("KELMOR_INSTANCE_TAG", tag.toLocal8Bit());
    TSingleInstance running;
    QVERIFY(running.Listen(TSingleInstance::ServerName()));
    QSignalSpy received(&running, &TSingleInstance::TextReceived);
    TGuiTempDir dir;
    QDir(dir.Path()).mkdir("My Data");

    QCOMPARE(RunSecondStart({"My", "Data/stock.idx"}, dir.Path(), tag), 1);
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0][0].toString(), dir / "My Data/stock.idx");

    QCOMPARE(RunSecondStart({"/abs/other.dat"}, dir.Path(), tag), 1);
    QTRY_COMPARE(received.size(), 2);
    QCOMPARE(received[1][0].toString(), QStringLiteral("/abs/other.dat"));
}

void SingleInstanceTest::secondStartWithoutArgumentsOnlyRaises() {
    const QString tag = QStringLiteral("raise%1").arg(QCoreApplication::applicationPid());
    qputenv("KELMOR_INSTANCE_TAG", tag.toLocal8Bit());
    TSingleInstance running;
    QVERIFY(running.Listen(TSingleInstance::ServerName()));
    QSignalSpy received(&running, &TSingleInstance::TextReceived);
    QCOMPARE(RunSecondStart({}, QDir::tempPath(), tag), 1);
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0][0].toString(), QString());
}

void SingleInstanceTest::staleSocketIsReplaced() {
    TGuiTempDir dir;
    const QString name = dir / "KELMORMANAGERstale";
    QVERIFY(LeaveStaleSocket(name));
    TSingleInstance running;
    QVERIFY(running.Listen(name));
    QSignalSpy received(&running, &TSingleInstance::TextReceived);
    QLocalSocket sender;  // (a blocking hand-over would wait for this very thread)
    sender.connectToServer(name);
    QVERIFY(sender.waitForConnected(2000));
    sender.write(TSingleInstance::EncodeText("/x/y.idx"));
    sender.flush();
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0][0].toString(), QStringLiteral("/x/y.idx"));
}

void SingleInstanceTest::liveInstanceKeepsItsName() {
    TGuiTempDir dir;
    const QString name = dir / "KELMORMANAGERlive";
    TSingleInstance first;
    QVERIFY(first.Listen(name));
    TSingleInstance second;
    QVERIFY(!second.Listen(name));  // the first answers: its socket is not taken away
    QVERIFY(first.IsListening());
    QVERIFY(!second.IsListening());
}

void SingleInstanceTest::handOverTextIsLimitedToTheBlock() {
    const QByteArray encoded = TSingleInstance::EncodeText(QString(2000, QChar(0xE9)));  // two bytes each
    QCOMPARE(encoded.size(), 1023 + 1 - 1);  // 511 whole characters and the zero byte
    QCOMPARE(encoded.back(), '\0');
    QCOMPARE(TSingleInstance::EncodeText("abc"), QByteArray("abc", 4));

    // A sender that writes more than the block without a zero byte: only the block is read.
    TGuiTempDir dir;
    const QString name = dir / "KELMORMANAGERlong";
    TSingleInstance running;
    QVERIFY(running.Listen(name));
    QSignalSpy received(&running, &TSingleInstance::TextReceived);
    QLocalSocket sender;
    sender.connectToServer(name);
    QVERIFY(sender.waitForConnected(2000));
    sender.write(QByteArray(3000, 'a'));
    sender.flush();
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0][0].toString().size(), 1023);
}

void SingleInstanceTest::withoutAServerTheProgramRunsAlone() {
    TSingleInstance instance;
    QVERIFY(!instance.Listen("/nonexistent-folder/KELMORMANAGERnone"));
    QVERIFY(!TSingleInstance::HandOver("/nonexistent-folder/KELMORMANAGERnone", "x", 500));
}

QTEST_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"
