// The multipart body made from outside texts (subjects, messages, tags and
// file names from the command line or received lists): every part stays one
// part, whatever the texts hold.
#include "FuzzSupport.h"

#include "net/HttpClientException.h"
#include "net/HttpClientMap.h"
#include "net/HttpPostBody.h"
#include "net/HttpPostStat.h"

#include <algorithm>
#include <optional>

using namespace mvx::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CHttpClientMapT params;
    std::string text(reinterpret_cast<const char*>(data), size);
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\0', at), text.size());
        const std::string word = text.substr(at, end - at);
        params.Add(word, word, false);
        at = end + 1;
    }
    for (int kind = 0; kind < 2; ++kind) {
        std::optional<CHttpPostBody> made;
        try {
            made.emplace(kind == 0 ? CHttpPostBody::Multipart(params, "----MorvanexFuzzBoundary", (size & 1) != 0)
                                   : CHttpPostBody::Form(params, (size & 2) != 0));
        } catch (const httpclientexceptionA&) {
            continue;  // refused (text that is not UTF-8 where UTF-8 is asked for)
        }
        CHttpPostBody& body = *made;
        CHttpPostStatT stat;
        stat.Start(body.TotalBytes(), body.ParamCount(), body.FileCount());
        uint64_t handedOut = 0;
        while (!body.Done())
            handedOut += body.Next(4096, stat).size();
        if (handedOut != body.TotalBytes())
            __builtin_trap();  // the announced length must be what is sent
    }
    return 0;
}
