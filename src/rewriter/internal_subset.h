// The internal subset of a DOCTYPE ("<!DOCTYPE html ... [ ... ]>"). HTML5
// reads no declarations, so a page keeps its meaning only when the subset
// declares nothing but internal entities of plain text: those are expanded
// where the page refers to them, as an XML parser does, and the subset goes.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace quorlix {

struct InternalSubset {
    // Entity name and replacement text; the first declaration of a name is
    // the one that holds.
    std::unordered_map<std::string, std::string> entities;
    // What the subset holds that cannot be carried over ("an element
    // declaration (<!ELEMENT)"); empty when nothing.
    std::string problem;
};

// Reads the text between "[" and "]". Comments and white space are allowed
// besides the entity declarations.
InternalSubset read_internal_subset(std::string_view subset);

// The rest of the page with every reference to one of the entities replaced
// by its text, where an XML parser expands it: in text and attribute values,
// not in comments, CDATA sections, processing instructions or declarations.
// The text is written so that HTML5 reads the same characters: line breaks
// in text as references (which also keeps the page's line count), quotes
// and ">" in attribute values as references, white space in attribute
// values as spaces (XML normalises them so), and the text of script and
// style elements as it is.
std::string expand_entities(std::string_view page,
                            const std::unordered_map<std::string, std::string>& entities);

}  // namespace quorlix
