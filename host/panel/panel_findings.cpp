#include "host/panel/panel_findings.h"

#include <algorithm>
#include <array>
#include <climits>
#include <numeric>

#include "host/core/messages.h"

namespace panelhost {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Edits from a to b (optimal string alignment), both at most
// maxSuggestedLength long: a row of the table at a time.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    using Row = std::array<std::size_t, maxSuggestedLength + 1>;
    Row before{}, previous{}, current{};
    std::iota(previous.begin(), previous.begin() + long(b.size()) + 1, std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const bool same = Lower(a[i - 1]) == Lower(b[j - 1]);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) && Lower(a[i - 2]) == Lower(b[j - 1])) {
                current[j] = std::min(current[j], before[j - 2] + 1);
            }
        }
        before = previous;
        previous = current;
    }
    return previous[b.size()];
}

}  // namespace

std::string_view SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "error";
}

std::string FindingText(const PanelFinding& finding) {
    std::string text = finding.file + ":";
    if (finding.line > 0) text += std::to_string(finding.line) + ":";
    if (finding.line > 0 && finding.column > 0) text += std::to_string(finding.column) + ":";
    text += " ";
    text += SeverityName(finding.severity);
    text += ": " + finding.message;
    for (std::size_t i = 0; i < finding.suggestions.size(); ++i) {
        text += i == 0 ? "; did you mean " : i + 1 == finding.suggestions.size() ? " or " : ", ";
        text += Quoted(finding.suggestions[i]);
    }
    if (!finding.suggestions.empty()) text += "?";
    return text;
}

bool HasErrors(std::span<const PanelFinding> findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const PanelFinding& finding) { return finding.severity == Severity::Error; });
}

void SortFindings(std::vector<PanelFinding>& findings) {
    const auto line = [](const PanelFinding& finding) { return finding.line > 0 ? finding.line : INT_MAX; };
    std::stable_sort(findings.begin(), findings.end(), [&](const PanelFinding& a, const PanelFinding& b) {
        return line(a) != line(b) ? line(a) < line(b) : a.severity < b.severity;
    });
    const auto sameLine = [](const PanelFinding& a, const PanelFinding& b) { return a.line > 0 && a.line == b.line; };
    findings.erase(std::unique(findings.begin(), findings.end(), sameLine), findings.end());
}

std::vector<std::string> NearestNames(std::string_view word, std::span<const std::string_view> candidates) {
    if (word.empty() || word.size() > maxSuggestedLength) return {};
    const std::size_t limit = std::clamp<std::size_t>(word.size() / 3, 1, 3);
    std::vector<std::pair<std::size_t, std::string_view>> near;
    for (const std::string_view candidate : candidates) {
        if (candidate.size() > maxSuggestedLength) continue;
        const std::size_t apart = word.size() > candidate.size() ? word.size() - candidate.size()
                                                                 : candidate.size() - word.size();
        if (apart > limit) continue;
        const std::size_t distance = EditDistance(word, candidate);
        if (distance > 0 && distance <= limit) near.emplace_back(distance, candidate);
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < near.size() && names.size() < maxSuggestions; ++i) {
        if (std::find(names.begin(), names.end(), near[i].second) == names.end()) names.emplace_back(near[i].second);
    }
    return names;
}

}  // namespace panelhost
