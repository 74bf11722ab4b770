#pragma once
// The one place that decides how a source document is read: the readers' rows in the
// order they are tried, by the document's first bytes, then by its name.

#include <vector>

#include "engine/readers/reader_interface.h"

namespace sorvane {

// The table, in the order rows are tried.
const std::vector<DocumentReader>& documentReaders();

// The row for this document, by content first, then by name; null for loose HTML and
// plain text, which the page and text renderers take.
const DocumentReader* chooseDocumentReader(DocumentProbe& probe);

// Whether a content rule of the table recognises these first bytes.
bool knownByContent(DocumentProbe& probe);

}  // namespace sorvane
