#pragma once

class Connection;

// A unit of work: what is written between construction and commit() is stored whole, or rolled
// back when the object goes out of scope without commit() (an exception, an early return).
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};
