// Messages: centred over their owner's form (the main window, or the database window
// they come from), answering with the button pressed; errors that no window handles
// reach the standard error report with their text, and the program goes on.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/tkelmorapplication.h"
#include "app/tmainform.h"
#include "tests/gui/guitestsupport.h"
#include "ui/common.h"
#include "ui/tabcolumns.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

struct TSeenBox {
    QString text;
    QString title;
    QRect geometry;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Notes the next message box and presses `button` in it.
TModalDriver::THandler Inspect(TSeenBox& seen, QMessageBox::StandardButton button) {
    return [&seen, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        seen.text = box->text();
        seen.title = box->windowTitle();
        seen.geometry = box->frameGeometry();
        seen.icon = box->icon();
        box->button(button)->click();
    };
}

}  // namespace

class MessagesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseTestSettings(); }
    void centredOverTheMainWindow();
    void centredOverADatabaseWindow();
    void kindsHaveTheirIconsAndTitles();
    void uncaughtErrorsReachTheErrorReport();
    void tabColumnsLineUpInAnyFont();
};

void MessagesTest::centredOverTheMainWindow() {
    TMainForm form;
    form.setGeometry(100, 80, 600, 400);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TSeenBox seen;
    TModalDriver driver;
    driver.Then(Inspect(seen, QMessageBox::No));
    const auto answer = ShowCentredMessage("Replace?", TMessageKind::Warning, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(answer, QMessageBox::No);
    QCOMPARE(seen.text, QStringLiteral("Replace?"));
    const QRect frame = form.frameGeometry();
    QCOMPARE(seen.geometry.left(), frame.left() + frame.width() / 2 - seen.geometry.width() / 2);
    QCOMPARE(seen.geometry.top(), frame.top() + frame.height() / 2 - seen.geometry.height() / 2);
}

void MessagesTest::centredOverADatabaseWindow() {
    TMainForm form;
    form.setGeometry(50, 40, 900, 700);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* content = new QWidget;
    QMdiSubWindow* document = form.DocumentArea()->addSubWindow(content);
    document->setGeometry(300, 200, 400, 300);
    document->show();
    TSeenBox seen;
    TModalDriver driver;
    driver.Then(Inspect(seen, QMessageBox::Ok));
    ShowCentredMessage("From the document", TMessageKind::Information, QMessageBox::Ok, content);
    const QPoint topLeft = document->mapToGlobal(QPoint(0, 0));
    QCOMPARE(seen.geometry.left(), topLeft.x() + 400 / 2 - seen.geometry.width() / 2);
    QCOMPARE(seen.geometry.top(), topLeft.y() + 300 / 2 - seen.geometry.height() / 2);
}

void MessagesTest::kindsHaveTheirIconsAndTitles() {
    TMainForm form;
    form.show();
    const struct {
        TMessageKind kind;
        QMessageBox::Icon icon;
        const char* title;
    } kinds[] = {{TMessageKind::Warning, QMessageBox::Warning, "Warning"},
                 {TMessageKind::Error, QMessageBox::Critical, "Error"},
                 {TMessageKind::Information, QMessageBox::Information, "Information"},
                 {TMessageKind::Confirmation, QMessageBox::Question, "Confirm"},
                 {TMessageKind::Plain, QMessageBox::NoIcon, "Kelmor - Database Manager"}};
    for (const auto& kind : kinds) {
        TSeenBox seen;
        TModalDriver driver;
        driver.Then(Inspect(seen, QMessageBox::Abort));
        QCOMPARE(ShowCentredMessage("x", kind.kind, QMessageBox::Yes | QMessageBox::No | QMessageBox::Abort),
                 QMessageBox::Abort);
        QCOMPARE(seen.icon, kind.icon);
        QCOMPARE(seen.title, QString::fromLatin1(kind.title));
    }
}

void MessagesTest::uncaughtErrorsReachTheErrorReport() {
    TMainForm form;
    form.show();
    QPushButton button("Fails", &form);
    QObject::connect(&button, &QPushButton::clicked, [] { throw std::runtime_error("Database Read-Only"); });
    TSeenBox seen;
    TModalDriver driver;
    driver.Then(Inspect(seen, QMessageBox::Ok));
    // The click arrives as events, where the application catches what the handler throws.
    QTest::mouseClick(&button, Qt::LeftButton);
    QTRY_VERIFY(driver.AllAnswered());
    QCOMPARE(seen.text, QStringLiteral("Database Read-Only"));
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(driver.ModalsSeen(), 1);
    QVERIFY(form.isVisible());  // the program goes on
}

void MessagesTest::tabColumnsLineUpInAnyFont() {
    // The node information's lines: three, two and one tab before the colon.
    const QStringList lines = {"Information for the Selected Node.",
                               "",
                               "Node ID\t\t\t: 12",
                               "Total Leaf Nodes\t: 3",
                               "Total Keys\t\t: 4",
                               ""};
    for (const int pixels : {9, 13, 24}) {
        QFont font;
        font.setPixelSize(pixels);
        const QFontMetrics metrics(font);
        const std::vector<int> starts = TabColumnStarts(lines, metrics);
        QCOMPARE(starts.size(), size_t(2));
        QCOMPARE(starts[0], 0);
        // Right of the widest label, and not far beyond it.
        const int widest = metrics.horizontalAdvance(QStringLiteral("Total Leaf Nodes"));
        QVERIFY(starts[1] > widest);
        QVERIFY(starts[1] <= widest + metrics.horizontalAdvance(QStringLiteral("      ")));
    }
    // Text without tabs is one column.
    QCOMPARE(TabColumnStarts({"one", "two"}, QFontMetrics(QFont())), std::vector<int>({0}));
}

int main(int argc, char** argv) {
    TKelmorApplication application(argc, argv);
    MessagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "messages_test.moc"
