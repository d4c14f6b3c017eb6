#include "FuzzTargets.h"

#include "platform/SstpClient.h"

#include <algorithm>

namespace yk::fuzz {

int fuzzSstpReply(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte sets the sizes of the pieces the reply arrives in.
    const int step = 1 + data[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // Read as the client reads: piece by piece, never past the limit, and
    // no further once the reply is whole.
    QByteArray reply;
    qsizetype at = 0;
    int piece = 0;
    while (at < stream.size() && !SstpClient::isCompleteReply(reply)) {
        const qsizetype room = SstpClient::kMaxReplyBytes - reply.size();
        const qsizetype n = std::min<qsizetype>({room, stream.size() - at, 1 + (step * ++piece) % 23});
        reply += stream.mid(at, n);
        at += n;
    }
    YK_FUZZ_CHECK(reply.size() <= SstpClient::kMaxReplyBytes);

    // The status depends on the first line only, never on how it arrived.
    const int status = SstpClient::statusCode(reply);
    YK_FUZZ_CHECK(status == SstpClient::statusCode(stream.left(SstpClient::kMaxReplyBytes)));
    if (status == SstpClient::kNoMascot)
        return 0;
    YK_FUZZ_CHECK(status >= 100 && status <= 999);
    YK_FUZZ_CHECK(reply.startsWith("SSTP/"));
    const qsizetype space = reply.indexOf(' ');
    YK_FUZZ_CHECK(space > 0 && reply.mid(space + 1, 3) == QByteArray::number(status));

    const int result = SstpClient::resultForStatus(status);
    YK_FUZZ_CHECK(result == ((status / 100 == 2) ? 0 : status));
    return 0;
}

} // namespace yk::fuzz
