// What the web service sends back: a key as hex text, an answer body read in
// pieces, and the key text made again from the key file it gave.
#include "FuzzSupport.h"

#include "net/HttpResponse.h"
#include "net/VelquinClient.h"

using namespace mvx::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto keyFile = CVelquinClient::KeyFileFromText(text))
        CVelquinClient::KeyAsText(*keyFile);
    CHttpResponseT response(200, static_cast<int64_t>(size / 2), text);
    char piece[7];
    while (response.ReadContent(piece, sizeof piece) != 0) {
    }
    return 0;
}
