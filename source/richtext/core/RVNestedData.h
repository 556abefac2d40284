// Styles in use across a document and its nested documents: finding the text, paragraph
// and list styles that no item uses, removing them from the style sheet and renumbering
// the items that remain. (The document's marker list and the searches through nested
// documents are members of TCustomRVData, defined in RVNestedData.cpp.)
#pragma once

#include "richtext/core/RVClasses.h"

class TCustomRVData;

/// The maps RVDeleteUnusedStyles renumbered with: for every old style number, one more
/// than the number of removed styles before it (entries of removed styles are 0).
struct TRVStyleRenumbering {
  TRVIntegerList TextStylesMap;
  TRVIntegerList ParaStylesMap;
  TRVIntegerList ListStylesMap;
};

/// Removes from RVData's style sheet the styles of the chosen kinds that no item of RVData
/// (or of its nested documents) uses, renumbers the items, and re-points the references
/// between the remaining styles (a reference to a removed style becomes -1). Text style 0
/// and paragraph style 0 are always kept: documents fall back on them. Nothing happens
/// without a style sheet. RVData's AfterDeleteStyles runs last, with the maps.
TRVStyleRenumbering RVDeleteUnusedStyles(TCustomRVData& RVData, bool TextStyles, bool ParaStyles,
                                         bool ListStyles);
