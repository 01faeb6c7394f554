#include "PhotoReaderFuzz.h"

#include "items/ImageFileReaderHeif.h"

// HEIF or AVIF files through their reader.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static char name[] = "HeifDecodeFuzz";
    return FuzzPhotoReader<ImageFileReaderHeif>(data, size, name);
}
