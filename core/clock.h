#pragma once

#include <QDate>

namespace kn {

// Today's date, from the computer's clock or pinned by a test.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

class SystemClock final : public Clock {
public:
    QDate today() const override { return QDate::currentDate(); }
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDate day) : day_(day) {}
    QDate today() const override { return day_; }

private:
    QDate day_;
};

} // namespace kn
