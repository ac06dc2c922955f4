// The container reader on any bytes: trailer, version, record area and the
// records, in both history layouts, then the search for the own record.
#include "FuzzSupport.h"

#include "engine/ContainerReader.h"
#include "engine/KeyMaterialCache.h"

#include <sys/mman.h>
#include <unistd.h>

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The key files are read and imported once, as a batch does.
    static KeyMaterialCache keys;
    const int fd = ::memfd_create("container", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        ::close(fd);
        return 0;
    }
    for (bool older : {false, true}) {
        ContainerLayout layout;
        ContainerReader::readLayout(fd, layout, older);
    }
    ContainerLayout layout;
    ContainerReader::open(fd, keys, fuzz::vectorPath("reader.kpub"), fuzz::vectorPath("readerPrivate.kpri"), layout);
    ::close(fd);
    return 0;
}
