#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Locale.h"
#include "results/ResultsHost.h"

namespace qm::results::testing {

// A locale with fixed separators and ASCII case folding: the results layer's tests must not
// depend on the machine's locale.
class FakeLocale : public platform::Locale {
public:
    explicit FakeLocale(std::string thousands = ",") : m_thousands(std::move(thousands)) {}
    int Compare(std::string_view a, std::string_view b) const override {
        const std::string ua = Upper(a);
        const std::string ub = Upper(b);
        return ua < ub ? -1 : (ua > ub ? 1 : 0);
    }
    std::string SortKey(std::string_view text) const override { return Upper(text); }
    std::string ToUpper(std::string_view text) const override { return Upper(text); }
    std::string ThousandsSeparator() const override { return m_thousands; }
    std::string DateSeparator() const override { return "/"; }
    std::string TimeSeparator() const override { return ":"; }
    std::string Name() const override { return "test"; }

private:
    static std::string Upper(std::string_view text) {
        std::string out(text);
        for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    }
    std::string m_thousands;
};

// Records what the results layer tells the window.
class RecordingHost : public ResultsHost {
public:
    void Yield() override { ++yields; }
    bool AbortRequested() const override { return abort; }
    void SetStatusText(const std::string& markup) override { statusTexts.push_back(markup); }
    void SetStatusTextWithLiteral(const std::string& before, const std::string& literal,
                                  const std::string& after) override {
        statusTexts.push_back(before + literal + after);
        literals.push_back(literal);
    }
    void ShowProgress(bool visible) override { progressVisible = visible; }
    void SetProgressDecorations(bool on) override { decorations = on; }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void SetMarkedFileCommandsEnabled(bool enabled) override {
        commandsEnabled = enabled;
        ++commandUpdates;
    }
    std::string LastStatus() const { return statusTexts.empty() ? "" : statusTexts.back(); }

    bool abort = false;
    int yields = 0;
    std::vector<std::string> statusTexts;
    std::vector<std::string> literals;  // the literal pieces, in order
    bool progressVisible = false;
    bool decorations = false;
    std::vector<int> progress;
    bool commandsEnabled = false;
    int commandUpdates = 0;
};

}  // namespace qm::results::testing
