#pragma once

#include "items/ImageFileReader.h"
#include "platform/FileIdentity.h"

#include <QHashFunctions>
#include <QString>

#include <cstddef>

// What decides the pixels a decode gives, apart from their size: the file, as it is on disk
// when its header was read, and how it is read. A file changed since then has another key, so
// its new pixels are decoded again and never mixed with the old ones; pixels read with other
// options (a photograph turned upright or as stored) never serve each other.
struct DecodeKey {
    QString path;
    FileIdentity file;
    ImageReadOptions options;

    bool operator==(const DecodeKey&) const = default;
};

struct DecodeKeyHash {
    std::size_t operator()(const DecodeKey& key) const
    {
        return std::size_t(qHashMulti(0, key.path, key.file.size, key.file.modified_ns, key.file.inode, int(key.options.orientation)));
    }
};
