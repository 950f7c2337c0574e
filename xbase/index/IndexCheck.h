// Verifying a tag against its table: the pages are sound, the keys are in the tag's
// order, and every record that passes the FOR condition has exactly one entry with its
// current key (unique tags: each key once, on a record that holds it). Equal keys may
// stand in any record order where the format keeps insertion order, and a unique tag may
// have kept an earlier record than a rebuild would.
#pragma once

#include <string>

namespace xbase {

class IndexTag;

// The first fault found, or an empty text when the tag is sound. Reads the whole tag
// and every record; the tag's cursor is left released.
std::string CheckTag(IndexTag& tag);

}  // namespace xbase
