#include "xbase/index/cdx/CdxHeader.h"

#include <cstring>

namespace xbase::cdx {

namespace {

// A NUL-ended text inside [begin, end): the whole rest when no NUL follows.
std::string TextAt(const std::uint8_t* begin, const std::uint8_t* end) {
    const std::uint8_t* stop = begin;
    while (stop < end && *stop != 0) ++stop;
    return std::string(reinterpret_cast<const char*>(begin),
                       static_cast<std::size_t>(stop - begin));
}

}  // namespace

std::string CdxHeader::Parse(const std::uint8_t* image, std::uint64_t fileSize) {
    root = GetLe32(image + hdr::Root);
    counter = GetLe32(image + hdr::Counter);
    keyLength = GetLe16(image + hdr::KeyLength);
    options = image[hdr::Options];
    signature = image[hdr::Signature];
    const char* collation = reinterpret_cast<const char*>(image + hdr::Collation);
    generalCollation = signature == kSignatureGeneral ||
                       std::memcmp(collation, kCollationGeneral, sizeof kCollationGeneral - 1) == 0;
    descending = GetLe16(image + hdr::Descending) != 0;
    const std::uint8_t* text = image + hdr::ExprText;
    const std::uint8_t* textEnd = text + hdr::ExprArea;
    keyExpression = TextAt(text, textEnd);
    const std::uint8_t* forText = text + keyExpression.size() + 1;
    forExpression = forText < textEnd ? TextAt(forText, textEnd) : std::string();
    if (root == 0 || root % kPageSize != 0 || std::uint64_t{root} + kPageSize > fileSize)
        return "root offset " + std::to_string(root) + " outside the file";
    if (keyLength == 0 || keyLength > kMaxKeyLength)
        return "key length " + std::to_string(keyLength) + " out of range";
    if (!IsDirectory() && keyExpression.empty()) return "tag without a key expression";
    return {};
}

void CdxHeader::Format(std::uint8_t* image) const {
    std::memset(image, 0, kHeaderSize);
    PutLe32(image + hdr::Root, root);
    PutLe32(image + hdr::Counter, counter);
    PutLe16(image + hdr::KeyLength, keyLength);
    image[hdr::Options] = options;
    image[hdr::Signature] = signature;
    if (generalCollation)
        std::memcpy(image + hdr::Collation, kCollationGeneral, sizeof kCollationGeneral - 1);
    PutLe16(image + hdr::Descending, descending ? 1 : 0);
    const std::size_t keyText = keyExpression.size() + 1;
    PutLe16(image + hdr::KeyExprLength, static_cast<std::uint16_t>(keyText));
    PutLe16(image + hdr::ForExprLength, static_cast<std::uint16_t>(forExpression.size() + 1));
    PutLe16(image + hdr::KeyExprLength2, static_cast<std::uint16_t>(keyText));
    std::uint8_t* text = image + hdr::ExprText;
    std::memcpy(text, keyExpression.data(), keyExpression.size());
    std::memcpy(text + keyText, forExpression.data(), forExpression.size());
}

}  // namespace xbase::cdx
