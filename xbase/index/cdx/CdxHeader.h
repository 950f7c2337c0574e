// A tag header of a compound index file (the directory tag's header is the file header):
// its fields, the checks a header must pass to be read, and its 1024-byte image.
#pragma once

#include <cstdint>
#include <string>

#include "xbase/index/cdx/CdxFormat.h"

namespace xbase::cdx {

struct CdxHeader {
    std::uint32_t root = 0;
    std::uint32_t counter = 0;
    std::uint16_t keyLength = 0;
    std::uint8_t options = opt::OrdinaryTag;
    std::uint8_t signature = kSignatureMachine;
    bool generalCollation = false;  // "GENERAL": keys are collation weights
    bool descending = false;
    std::string keyExpression;
    std::string forExpression;

    bool Unique() const { return (options & opt::Unique) != 0; }
    bool IsDirectory() const { return (options & opt::Directory) != 0; }

    // Reads a header image; returns what makes it unacceptable (empty when it is sound):
    // a root of 0, off a page boundary or beyond `fileSize`, a key length over 240, or an
    // empty key expression on a tag that is not the directory.
    std::string Parse(const std::uint8_t* image, std::uint64_t fileSize);
    // Writes the 1024-byte image (machine collation headers leave the name area zero).
    void Format(std::uint8_t* image) const;
};

}  // namespace xbase::cdx
