// A comma-decimal process locale for tests that show numbers are read and written in the C
// locale whatever locale the process runs in.
#pragma once

namespace corvane_test {

// Puts LC_NUMERIC to a German locale (made with localedef in the test's scratch folder when
// the machine has none) for the scope's life and back to "C" at its end.
class ScopedCommaDecimalLocale {
public:
    ScopedCommaDecimalLocale();
    ~ScopedCommaDecimalLocale();
    ScopedCommaDecimalLocale(const ScopedCommaDecimalLocale&) = delete;
    ScopedCommaDecimalLocale& operator=(const ScopedCommaDecimalLocale&) = delete;

    // True when the comma-decimal locale is in force (the test should skip otherwise).
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

}  // namespace corvane_test
