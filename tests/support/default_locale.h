// A default locale for the length of a scope: the one before comes back at its end, so a test
// that writes under another locale leaves the fixed locale of the other tests as it was.
#pragma once

#include <QLocale>

class ScopedDefaultLocale {
public:
    explicit ScopedDefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~ScopedDefaultLocale() { QLocale::setDefault(before_); }
    ScopedDefaultLocale(const ScopedDefaultLocale&) = delete;
    ScopedDefaultLocale& operator=(const ScopedDefaultLocale&) = delete;

private:
    const QLocale before_;
};
