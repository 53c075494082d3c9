#pragma once

// The image corpus's manifest (../shared/corpus/MANIFEST.tsv): which files there are, their
// reference decodes and notes.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pellumo::corpus {

struct TSample {
    std::string File;       // relative to the corpus
    std::string Reference;  // relative to the corpus, or "none"
    std::string Notes;
};

inline std::filesystem::path Root() { return PELLUMO_CORPUS; }

// The manifest's rows for one format folder ("tga/", "png/", ...).
inline std::vector<TSample> Samples(const std::string& folder) {
    std::vector<TSample> samples;
    std::ifstream manifest(Root() / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);  // the column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> columns;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            columns.push_back(line.substr(start, tab - start));
        columns.push_back(line.substr(start));
        if (columns.size() >= 10 && columns[0].rfind(folder, 0) == 0) samples.push_back({columns[0], columns[7], columns[9]});
    }
    return samples;
}

}  // namespace pellumo::corpus
