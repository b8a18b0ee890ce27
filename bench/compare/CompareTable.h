// The one table of the comparison: a row per measurement with Pandrel's
// figure, the peer's, their ratio (higher is better for Pandrel) and the goal.
#pragma once
#include <string>
#include <vector>

struct CompareRow {
    std::string strWhat;    // what was measured
    std::string strPandrel; // Pandrel's figure, with its unit
    std::string strPeer;    // the peer's figure and name; empty for an absolute goal
    double dRatio = 0.0;    // Pandrel's advantage; 0 when there is no peer
    std::string strGoal;
    bool bMet = false;
};

class CCompareTable {
public:
    void Add(CompareRow row) { m_rows.push_back(std::move(row)); }
    // The table as Markdown.
    std::string Markdown() const;
    const std::vector<CompareRow>& Rows() const { return m_rows; }

private:
    std::vector<CompareRow> m_rows;
};

// printf-style formatting into a string.
std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
