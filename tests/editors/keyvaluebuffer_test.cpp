// The key editor's value buffer: each key type read from the engine in its encoding and
// written back unchanged, and values the buffer brings in stored as they are.
#include <QTemporaryDir>
#include <QTest>

#include "editors/keyvaluebuffer.h"
#include "engine/keytypes.h"
#include "engine/tkelmor.h"
#include "ui/common.h"

using namespace kelmor;

class KeyValueBufferTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { engine_.reset(); }
    void readsEachTypeInItsEncoding_data();
    void readsEachTypeInItsEncoding();
    void writesTheBufferBackInPlace();
    void lengthsAreKeptWithinTheBufferAndTheType();

private:
    QTemporaryDir dir_;
    std::unique_ptr<TKelmorClass> engine_;
    int32_t node_ = -1;
};

void KeyValueBufferTest::init() {
    engine_ = std::make_unique<TKelmorClass>();
    QCOMPARE(engine_->CreateDatabase(ToEnginePath(dir_.filePath(QStringLiteral("keys"))),
                                     TKelmorClass::MakeLogin("ADMIN", "SECRET")),
             kResultOK);
    engine_->ClearNode();
    engine_->SetDescription("Values");
    node_ = engine_->CreateNode(TKelmorClass::RootNode());
    QVERIFY(engine_->LoadNode(node_));
    const uint8_t bytes[] = {0x41, 0x00, 0x42};
    engine_->AddByteKey("byte", 200);
    engine_->AddIntegerKey("integer", -12);
    engine_->AddLongintKey("longint", -70000);
    engine_->AddFloatKey("float", 1.5f);
    engine_->AddStringKey("string", "text");
    engine_->AddSequenceKey("sequence", bytes, 3);
    engine_->AddBlobKey("blob", bytes, 3);
    engine_->AddCurrencyKey("currency", -12345);
    engine_->AddDoubleKey("double", 0.25);
    engine_->AddDateKey("date", 45356.5);
    engine_->SaveNode(node_);
}

void KeyValueBufferTest::readsEachTypeInItsEncoding_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("start");  // the buffer's first bytes
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("length");
    QTest::newRow("byte") << 1 << QByteArray("\xC8", 1) << 1 << 0;
    QTest::newRow("integer, little-endian") << 2 << QByteArray("\xF4\xFF", 2) << 2 << 0;
    QTest::newRow("longint") << 3 << QByteArray("\x90\xEE\xFE\xFF", 4) << 4 << 0;
    QTest::newRow("float") << 4 << QByteArray("\x00\x00\xC0\x3F", 4) << 4 << 0;
    QTest::newRow("string, length first") << 5 << QByteArray("\x04text", 5) << 256 << 0;
    QTest::newRow("sequence") << 6 << QByteArray("A\0B", 3) << 255 << 3;
    QTest::newRow("blob") << 7 << QByteArray("A\0B", 3) << 65535 << 3;
    QTest::newRow("currency, ten-thousandths") << 8 << QByteArray("\xC7\xCF\xFF\xFF\xFF\xFF\xFF\xFF", 8) << 8 << 0;
    QTest::newRow("double") << 9 << QByteArray("\x00\x00\x00\x00\x00\x00\xD0\x3F", 8) << 8 << 0;
}

void KeyValueBufferTest::readsEachTypeInItsEncoding() {
    QFETCH(int, key);
    QFETCH(QByteArray, start);
    QFETCH(int, size);
    QFETCH(int, length);
    int read = -1;
    const QByteArray buffer = ReadKeyValueBuffer(*engine_, static_cast<uint16_t>(key), read);
    QCOMPARE(buffer.size(), size);
    QCOMPARE(buffer.left(start.size()), start);
    QCOMPARE(read, length);
}

void KeyValueBufferTest::writesTheBufferBackInPlace() {
    // Every key read, deleted and written again from its buffer at its place: the node is
    // as it was.
    std::vector<std::string> before;
    for (uint16_t key = 1; key <= engine_->KeyCount(); ++key)
        before.push_back(engine_->GetKeyName(key) + "=" + engine_->KeyValueText(key));
    for (uint16_t key = 1; key <= engine_->KeyCount(); ++key) {
        int length = 0;
        const QByteArray buffer = ReadKeyValueBuffer(*engine_, key, length);
        const std::string name = engine_->GetKeyName(key);
        const uint8_t type = engine_->KeyType(key);
        engine_->DeleteKey(key);
        InsertKeyValueBuffer(*engine_, name, key, type, buffer, length);
    }
    engine_->SaveNode(node_);
    QVERIFY(engine_->LoadNode(node_));
    for (uint16_t key = 1; key <= engine_->KeyCount(); ++key)
        QCOMPARE(engine_->GetKeyName(key) + "=" + engine_->KeyValueText(key), before[key - 1u]);

    // A changed buffer is what gets stored.
    int length = 0;
    QByteArray text = ReadKeyValueBuffer(*engine_, 5, length);
    text[0] = 2;
    text[1] = 'o';
    text[2] = 'k';
    engine_->DeleteKey(5);
    InsertKeyValueBuffer(*engine_, "string", 5, ktString, text, length);
    QCOMPARE(engine_->GetStringKey(5), std::string("ok"));
}

void KeyValueBufferTest::lengthsAreKeptWithinTheBufferAndTheType() {
    // A length beyond the buffer or the type stores what there is, never more.
    const QByteArray bytes(300, 'x');
    engine_->DeleteKey(6);
    InsertKeyValueBuffer(*engine_, "sequence", 6, ktSequence, bytes, 1000);
    QCOMPARE(engine_->GetSequenceKey(6).size(), size_t(255));
    engine_->DeleteKey(7);
    InsertKeyValueBuffer(*engine_, "blob", 7, ktBlob, bytes.left(10), 65535);
    QCOMPARE(engine_->GetBlobKey(7).size(), size_t(10));
    engine_->DeleteKey(7);
    InsertKeyValueBuffer(*engine_, "blob", 7, ktBlob, bytes, -5);
    QCOMPARE(engine_->GetBlobKey(7).size(), size_t(0));
    // A string whose length byte claims more than the buffer holds.
    engine_->DeleteKey(5);
    InsertKeyValueBuffer(*engine_, "string", 5, ktString, QByteArray("\xFFshort", 6), 0);
    QCOMPARE(engine_->GetStringKey(5), std::string("short"));
}

QTEST_GUILESS_MAIN(KeyValueBufferTest)
#include "keyvaluebuffer_test.moc"
