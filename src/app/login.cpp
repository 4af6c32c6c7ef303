#include "app/login.h"

namespace Login {

namespace {
int column(const ResultSet& rows, const char* name) {
    for (int i = 0; i < rows.columns.size(); ++i)
        if (rows.columns[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}
} // namespace

ResultSet users(Connection& db) { return db.query(QStringLiteral("select * from Users")); }

User findUser(const ResultSet& users, const QString& typedPassword) {
    if (users.rowCount == 0)
        return {NoUsersId, {}};
    const int pass = column(users, "PASS"), id = column(users, "IDUSR"),
              name = column(users, "NAME");
    if (pass < 0 || id < 0)
        return {};
    for (int r = 0; r < users.rowCount; ++r)
        if (users.at(r, pass).toText() == typedPassword)
            return {int(users.at(r, id).toInteger()),
                    name >= 0 ? users.at(r, name).toText() : QString()};
    return {};
}

int rightsLevel(const ResultSet& users, int userId) {
    const int id = column(users, "IDUSR"), prav = column(users, "PRAV");
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
        return {C::MonthTransition, C::AddClient,       C::DeleteClient, C::ReferenceBooks,
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
