// Sorting a branch with collation keys made once per child gives exactly the order of the
// locale-aware comparison of descriptions, pair by pair and for a whole branch, in
// several locales.
#include <QLocale>
#include <QTest>

#include "app/systemregional.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

const char* const kDescriptions[] = {
    "apple",
    "Apple",
    "APPLE",
    "\xc4pfel",
    "apfel",
    "Zebra",
    "zebra",
    "\xe9t\xe9",
    "ete",
    "Ete",
    "\xc9t\xe9",
    "item 10",
    "item 9",
    "item 1",
    "a-b",
    "ab",
    "a b",
    "",
    " ",
    "\xdf",
    "ss",
    "Stra\xdf"
    "e",
    "strasse",
    "_x",
    "x_",
    "\xf8",
    "o",
    "\xe6",
    "ae",
    "1",
    "01",
    "10",
    "#",
    "%",
    "\xa9",
    "\xff",
    "y",
};

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

class SortCollationTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }
    void cleanup() { QLocale::setDefault(QLocale::system()); }

    void keysOrderAsTheComparison_data();
    void keysOrderAsTheComparison();
    void aBranchSortsTheSameWithKeys();
};

void SortCollationTest::keysOrderAsTheComparison_data() {
    QTest::addColumn<QString>("locale");
    for (const char* locale : {"C", "en_GB", "de_DE", "sv_SE", "fr_FR"}) QTest::newRow(locale) << locale;
}

void SortCollationTest::keysOrderAsTheComparison() {
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    const TCollationKeyMaker makeKey = DescriptionCollationKeys();
    for (const char* a : kDescriptions) {
        for (const char* b : kDescriptions) {
            const int byKeys = makeKey(a)->Compare(*makeKey(b));
            QVERIFY2(Sign(byKeys) == Sign(CompareDescriptions(a, b)),
                     qPrintable(FromLatin1(a) + QStringLiteral(" / ") + FromLatin1(b)));
        }
    }
}

void SortCollationTest::aBranchSortsTheSameWithKeys() {
    // Two databases with the same children, sorted with and without collation keys.
    QStringList orders[2];
    for (int withKeys = 0; withKeys < 2; ++withKeys) {
        TGuiTempDir dir;
        const QString base = dir.Path() + QStringLiteral("/sorted");
        QVERIFY(CreateDatabase(base));
        TKelmorClass engine;
        QCOMPARE(engine.OpenDatabase(ToEnginePath(base), false, TKelmorClass::MakeLogin("admin", "secret")), kResultOK);
        engine.SetTextComparer(CompareDescriptions);
        if (withKeys) engine.SetCollationKeys(DescriptionCollationKeys());
        for (int round = 0; round < 3; ++round) {
            for (const char* description : kDescriptions) AddNode(engine, 0, description);
        }
        engine.SortChildren(0);
        orders[withKeys] = EngineChildren(engine, 0);
    }
    QCOMPARE(orders[1], orders[0]);
    QCOMPARE(orders[0].first(), QString());
}

QTEST_MAIN(SortCollationTest)
#include "sortcollation_test.moc"
