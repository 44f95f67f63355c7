// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the replay reader with arbitrary bytes: as they come (the check sum
// stops almost all of them), with the check sum made right (so mutations
// reach every field), and the pose track decoder on its own. Whatever reads
// is also written again and must read back the same.

#include "replays/bytewriter.h"
#include "replays/fnv1a.h"
#include "replays/posetrack.h"
#include "replays/replayfile.h"

#include <cstdint>
#include <cstdlib>

namespace {
constexpr int kChecksumBytes = 8;

void readAndRewrite(const QByteArray &bytes)
{
    QString error;
    const std::optional<ReplayFile> f = ReplayFile::fromBytes(bytes, &error);
    if (!f) {
        if (error.isEmpty())
            std::abort(); // a refusal always says why
        return;
    }
    const QByteArray again = f->toBytes();
    const std::optional<ReplayFile> g = ReplayFile::fromBytes(again, &error);
    if (!g || g->toBytes() != again)
        std::abort();
    f->controlsPerStep();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    readAndRewrite(bytes);

    if (bytes.size() > kChecksumBytes) {
        QByteArray sealed = bytes.left(bytes.size() - kChecksumBytes);
        ByteWriter(&sealed).u64(Fnv1a::of(sealed.constData(), sealed.size()));
        readAndRewrite(sealed);
    }

    if (!bytes.isEmpty()) {
        QString error;
        PoseTrack::decode(bytes.mid(1), quint8(bytes.at(0)), &error);
    }
    return 0;
}
