// Shared by the interchange tests: a small tree that uses every key type, and a dump of
// a tree by paths (not IDs), so that two databases can be compared.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "engine/regional.h"
#include "engine/tkelmor.h"
#include "tests/testsupport/dbfixture.h"

namespace kelmor::test {

// The byte values 0, 1, ..., count - 1 (mod 256).
inline std::vector<uint8_t> CountingBytes(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

// Below the root:
//   Shop        a key of every type, escaping, empty sequence and blob
//     Fruit     no keys
//       Apple   one string key
//     -> Shop\Fruit\Apple
//   -> Shop\Fruit            (a link directly below the root)
//   -> (broken)              (a link whose source was deleted)
struct TSampleTree {
    int32_t shop = 0, fruit = 0, apple = 0, linkToApple = 0, linkToFruit = 0, brokenLink = 0;

    explicit TSampleTree(TKelmorClass& engine) {
        engine.ClearNode();
        engine.SetDescription("Shop");
        engine.AddByteKey("b", 200);
        engine.AddIntegerKey("i", -1234);
        engine.AddLongintKey("l", 2000000000);
        engine.AddFloatKey("f", 1.5f);
        engine.AddStringKey("s", "a<b & \"c\" 'd'>\t\xE9");
        const uint8_t sequence[3] = {0x00, 0xFF, 0x10};
        engine.AddSequenceKey("q", sequence, 3);
        engine.AddSequenceKey("empty q", nullptr, 0);
        const uint8_t blob[3] = {1, 2, 3};
        engine.AddBlobKey("o", blob, 3);
        engine.AddBlobKey("empty o", nullptr, 0);
        engine.AddCurrencyKey("c", 12345678);  // 1234.5678
        engine.AddDoubleKey("d", 0.1);
        double when = 0;
        TryEncodeDateTime(2024, 2, 3, 10, 11, 12, 0, when);
        engine.AddDateKey("t", when);
        engine.AddDateKey("no date", 0);
        shop = engine.CreateNode(0);

        engine.ClearNode();
        engine.SetDescription("Fruit");
        fruit = engine.CreateNode(shop);
        engine.ClearNode();
        engine.SetDescription("Apple");
        engine.AddStringKey("colour", "red");
        apple = engine.CreateNode(fruit);

        engine.MarkNode(apple);
        linkToApple = engine.CreateLink(shop);
        engine.MarkNode(fruit);
        linkToFruit = engine.CreateLink(0);

        engine.ClearNode();
        engine.SetDescription("gone");
        const int32_t gone = engine.CreateNode(0);
        engine.MarkNode(gone);
        brokenLink = engine.CreateLink(0);
        engine.DeleteNode(gone);
        engine.MarkNode(0);
    }
};

// Every node the user can see, depth first, by path: descriptions, keys with their
// types and texts (sequences and blobs with all their bytes), links with the path of
// their source. Broken links are left out, as exports leave them out.
inline std::string DumpTree(TKelmorClass& engine, int32_t top = 0, const std::string& indent = "") {
    std::ostringstream out;
    for (const int32_t child : Children(engine, top)) {
        if (engine.IsLink(child)) {
            try {
                const std::string source = engine.GetNodePath(engine.GetLinkSource(child));
                out << indent << "-> " << source << "\n";
            } catch (const EKelmorSourceNodeBrokenError&) {}
            continue;
        }
        engine.LoadNode(child);
        out << indent << engine.GetDescription() << "\n";
        for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
            out << indent << "  " << engine.GetKeyName(k) << " (" << KeyTypeName(engine.KeyType(k)) << ") =";
            if (engine.KeyType(k) == ktSequence) {
                for (const char b : engine.GetSequenceKey(k)) out << " " << int(static_cast<uint8_t>(b));
            } else if (engine.KeyType(k) == ktBlob) {
                for (const uint8_t b : engine.GetBlobKey(k)) out << " " << int(b);
            } else {
                out << " " << engine.KeyValueText(k);
            }
            out << "\n";
        }
        out << DumpTree(engine, child, indent + "  ");
    }
    return out.str();
}

}  // namespace kelmor::test
