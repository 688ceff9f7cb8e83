#pragma once
#include "Connection.h"
#include <exception>

// Commits at the end of its scope, rolls back when an exception leaves the scope.
class Transaction {
public:
    explicit Transaction(Connection& c) : c_(c), exceptions_(std::uncaught_exceptions()) { c_.begin(); }
    ~Transaction() noexcept(false)
    {
        if (std::uncaught_exceptions() > exceptions_)
            c_.rollback();
        else
            c_.commit();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Connection& c_;
    int exceptions_;
};

// Runs fn in the caller's open transaction, or in one of its own.
template <class Fn> void withTransaction(Connection& c, Fn fn)
{
    if (c.inTransaction()) {
        fn();
        return;
    }
    Transaction t(c);
    fn();
}
