#pragma once
// Reads Word documents in the Office Open XML format (.docx): the main document part,
// then the footnotes and endnotes it refers to.

#include <filesystem>
#include <string>

#include "common/result.h"
#include "common/text.h"
#include "engine/document_reader.h"

namespace sorvane {

class ZipArchive;

// Whether the archive holds a Word document (a "word/document.xml" member).
bool isDocx(const ZipArchive& archive);

// The text a browser shows for the document saved as HTML (see DocBlockText): every
// paragraph, headings and list items as blocks of their own, manual line breaks, tabs,
// symbols, the shown result of fields (not their code), text boxes where they are
// anchored, tables with cells separated by tabs, and the footnotes and endnotes after
// the body, each marked "[n]" in the body and before its text. Headers, footers,
// comments, hidden runs (w:vanish) and deleted revisions are left out; inserted ones are
// kept. Fails with BadInput when the main document part cannot be read (damaged,
// larger than the archive's caps, not well-formed XML); the notes are left out when
// only their part is damaged.
Result<Text> readDocx(ZipArchive& archive);

// Opens the archive in `bytes` and reads it, as a row of the reader table. Fails with
// BadInput when the archive cannot be opened, BinaryInput when it holds no Word document.
Result<Text> readDocxDocument(const std::filesystem::path& path, std::string&& bytes, ReadProblems& problems);

}  // namespace sorvane
