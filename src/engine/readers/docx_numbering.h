#pragma once
// The automatic numbers and bullets of a DOCX document's paragraphs, from
// word/numbering.xml and the paragraph styles of word/styles.xml.

#include <map>
#include <memory>
#include <string>

#include "common/text.h"
#include "engine/containers/xml_document.h"
#include "engine/readers/list_numbering.h"

namespace sorvane {

class ZipArchive;

class DocxNumbering {
public:
    // Reads the numbering and style parts of `archive`; a document without them, or with
    // damaged ones, numbers nothing.
    explicit DocxNumbering(ZipArchive& archive);
    ~DocxNumbering();

    // The label of the paragraph with properties `pPr` (number or bullet, then the
    // level's suffix), counting it; empty for a paragraph that is not numbered.
    Text label(XmlDocument::Node pPr);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sorvane
