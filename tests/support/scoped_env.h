// An environment variable set or unset for as long as the guard lives; the
// value it had before (or its absence) comes back when the guard goes, so a
// test never leaks its environment into the next one.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace lumo::test {

class ScopedEnv {
public:
    // Sets the variable to value, or unsets it for std::nullopt.
    ScopedEnv(const char* name, std::optional<QByteArray> value) : name_(name)
    {
        if (qEnvironmentVariableIsSet(name))
            old_ = qgetenv(name);
        apply(value);
    }
    ~ScopedEnv() { apply(old_); }

    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const QByteArray& value) { apply(value); }
    void unset() { apply(std::nullopt); }

private:
    void apply(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }

    const char* name_;
    std::optional<QByteArray> old_;
};

} // namespace lumo::test
