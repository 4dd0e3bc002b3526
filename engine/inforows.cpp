#include "engine/inforows.h"

namespace kelmor {

std::vector<std::pair<std::string, std::string>> InfoRows(const TKelmorInfo& info) {
    auto text = [](auto value) { return std::to_string(value); };
    return {
        {"Last version saved", text(info.majorVersion)},
        {"Last revision saved", text(info.minorVersion)},
        {"Maximum index", text(info.nodeCount)},
        {"New index ID", text(info.lastNodeID)},
        {"ID slots used", text(info.nodeBucketsInUse)},
        {"ID slot items", text(info.nodeLongestBucket)},
        {"PID slots used", text(info.parentBucketsInUse)},
        {"PID slot items", text(info.parentLongestBucket)},
        {"Maximum blobs", text(info.blobCount)},
        {"New blob ID", text(info.lastBlobID)},
        {"BLOB slots used", text(info.blobBucketsInUse)},
        {"BLOB slot items", text(info.blobLongestBucket)},
        {"Copy ID", text(info.markedNode)},
        {"Security Type", text(info.securityType)},
        {"Checksum", text(info.stamp)},
    };
}

}  // namespace kelmor
