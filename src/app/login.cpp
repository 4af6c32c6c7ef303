#include "app/login.h"

namespace Login {

namespace {} // namespace

ResultSet users(Connection& db) {
    return db.query(QStringLiteral("select * from Users"));
}

User findUser(const ResultSet& users, const QString& typedPassword) {
    if (users.rowCount == 0)
        return {NoUsersId, {}};
    const int pass = users.columnIndex(u"PASS"), id = users.columnIndex(u"IDUSR"),
              name = users.columnIndex(u"NAME");
    if (pass < 0 || id < 0)
        return {};
    for (int r = 0; r < users.rowCount; ++r)
        if (users.at(r, pass).toText() == typedPassword)
            return {int(users.at(r, id).toInteger()),
                    name >= 0 ? users.at(r, name).toText() : QString()};
    return {};
}

int rightsLevel(const ResultSet& users, int userId) {
    const int id = users.columnIndex(u"IDUSR"), prav = users.columnIndex(u"PRAV");
    if (id < 0 || prav < 0)
        return 0;
    for (int r = 0; r < users.rowCount; ++r)
        if (users.at(r, id).toInteger() == userId)
            return int(users.at(r, prav).toInteger());
    return 0;
}

std::vector<Command> disabledCommands(int level) {
    using C = Command;
    switch (level) {
    case 0:
        return {C::MonthTransition, C::AddClient,      C::DeleteClient, C::ReferenceBooks,
                C::BenefitPercents, C::MassProcessing, C::Settings};
    case 1:
        return {C::MonthTransition, C::DeleteClient, C::ReferenceBooks, C::BenefitPercents,
                C::Settings};
    case 2:
        return {C::Settings};
    default:
        return {};
    }
}

} // namespace Login
