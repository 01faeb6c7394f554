#pragma once

#include <QStringView>

#include <vector>

// The source text of each section of a section text, in the order the parser gives the
// sections: from the section's header line up to the next header line (or the end of the
// text), with every key line, comment and empty line in between exactly as written. Lines
// are split by the parser's own rules, so the n-th source belongs to the parser's n-th section.
std::vector<QStringView> SectionSources(QStringView text);
