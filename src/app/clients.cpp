#include "app/clients.h"

#include "db/jetconvert.h"
#include "db/journal.h"
#include "db/sqltext.h"
#include "db/transaction.h"
#include "period/snapshot.h"

using namespace Qt::StringLiterals;

namespace Clients {

QString defaultAccount(int clientId) {
    return QString::number(qint64(clientId / 100000) * 1000000 + clientId);
}

void replaceTariff(Connection& db, int serviceId, int clientId, const QString& tariff) {
    const QString n = QString::number(serviceId), id = QString::number(clientId);
    db.execute(u"delete * from Tarif%1 where CLIENT=%2"_s.arg(n, id));
    db.execute(u"insert into Tarif%1 (CLIENT, TARIF) values (%2, %3)"_s.arg(
        n, id, SqlText::singleQuoted(tariff)));
}

int addClient(AppContext& app) {
    Connection& db = app.db();
    Transaction tx(db);
    const ResultSet max = db.query(QStringLiteral("select max(IDC) from Client"));
    const int id = int((max.rowCount ? max.at(0, 0).toInteger() : 0) + 1);
    db.execute(u"Insert into Client (IDC,LS) values (%1 , \"%2\")"_s.arg(QString::number(id),
                                                                         defaultAccount(id)));
    app.journal().HistZap(QStringLiteral("Client"), JournalText::newClientStarted(id), id, 0);
    tx.commit();
    return id;
}

QString newClientListSql(int clientId) {
    return QStringLiteral(
               "SELECT Client.LS as Лицевой_счет, Client.FIO as Фамилия_Имя_Отчество, "
               "NasPunkt.NAME as Нас_пункт, Street.NAME as Улица, Client.DOM as Дом, Client.KORP "
               "as Корпус, Client.KVART as Квартира, KOL as Количество ,ZH_PL as ЖП ,OB_PL as ОП, "
               "Client.IDC, Client.TIPZ  FROM Street RIGHT JOIN (Rajon RIGHT JOIN (NasPunkt RIGHT "
               "JOIN Client ON NasPunkt.ID = Client.NP) ON Rajon.ID = Client.RN) ON Street.ID = "
               "Client.ST WHERE IDC=") +
           QString::number(clientId);
}

QString newClientIterationSql(int clientId) {
    return QStringLiteral("select * from Client where IDC=") + QString::number(clientId);
}

void cancelNewClient(AppContext& app, int clientId) {
    Transaction tx(app.db());
    app.db().execute(QStringLiteral("Delete * from Client where IDC=") + QString::number(clientId));
    app.journal().HistZap(QStringLiteral("Client"), JournalText::newClientCancelled(), clientId, 0);
    tx.commit();
    emit app.changes.subscribersChanged(clientId);
}

int residents(AppContext& app, int clientId) {
    const ResultSet r = app.db().query(QStringLiteral("select KOL from Client where IDC=") +
                                       QString::number(clientId));
    return r.rowCount ? int(r.at(0, 0).toInteger()) : 0;
}

bool deleteClient(AppContext& app, Prompter& prompter, int clientId) {
    if (!prompter.ask(QStringLiteral("ВНИМАНИЕ!!!"),
                      QStringLiteral("Вы действительно хотите удалить абонента? Ваши действия "
                                     "записываются!")))
        return false;
    Connection& db = app.db();
    Transaction tx(db);
    const QString id = QString::number(clientId);
    for (const TVidUslugi& s : app.state.ShownServices) {
        const ResultSet count = db.query(
            u"select count(*) from Nachisl%1 where CLIENT=%2"_s.arg(QString::number(s.IDUSL), id));
        if (count.at(0, 0).toInteger() > 0) {
            prompter.warn(QStringLiteral("По данному абоненту (IDC=") + id +
                          QStringLiteral(") производились начисления. Удалить его нельзя! "
                                         "Обратитесь к администратору!"));
            return false;
        }
    }
    db.execute(QStringLiteral("Delete * from Client where IDC=") + id);
    app.journal().HistZap(QStringLiteral("Client"), JournalText::clientDeleted(), clientId, 0);
    tx.commit();
    emit app.changes.subscribersChanged(clientId);
    return true;
}

QString tariffProblem(const TVidUslugi& service, const QString& text) {
    if (JetConvert::parseNumber(text))
        return {};
    return QStringLiteral("Тариф услуги «%1» — «%2» — не число. Введите тариф цифрами с "
                          "запятой, например 12,5. Ничего не изменено.")
        .arg(service.NAME, text);
}

QString massProcess(AppContext& app, const std::vector<int>& clientIds, const MassChange& change,
                    Progress* progress) {
    const auto& services = app.state.ShownServices;
    int serviceId = 0;
    QString journalText;
    switch (change.kind) {
    case MassKind::Tariff:
        if (!change.service || *change.service < 0 || size_t(*change.service) >= services.size())
            return QStringLiteral("Выберите услугу из списка, тариф которой нужно изменить.");
        serviceId = services[size_t(*change.service)].IDUSL;
        if (QString problem = tariffProblem(services[size_t(*change.service)], change.tariff);
            !problem.isEmpty())
            return problem;
        journalText = JournalText::tariffChanged();
        break;
    case MassKind::Inclusion:
        journalText = JournalText::exclusionChanged(change.exclude ? ExcludedMark : QString());
        break;
    case MassKind::Area:
        if (!change.area)
            return QStringLiteral("Выберите участок (контролера) из списка.");
        journalText = JournalText::areaChanged(*change.area);
        break;
    case MassKind::Address:
        if (!addressComplete(change.GD, change.NP, change.ST))
            return QStringLiteral("Адресные данные заполнены не полностью! Выберите улицу и город "
                                  "или населенный пункт.");
        journalText = JournalText::addressesChanged(app.CurrentUserId);
        break;
    }
    Connection& db = app.db();
    Transaction tx(db);
    const int total = int(clientIds.size());
    for (int i = 0; i < total; ++i) {
        const QString id = QString::number(clientIds[size_t(i)]);
        switch (change.kind) {
        case MassKind::Tariff:
            replaceTariff(db, serviceId, clientIds[size_t(i)], change.tariff);
            break;
        case MassKind::Inclusion:
            db.execute(u"update Client set TIPZ=%1 where IDC=%2"_s.arg(
                change.exclude ? u"\"isk\""_s : u"\"\""_s, id));
            break;
        case MassKind::Area:
            db.execute(u"update Client set UCH=\"%1\" where IDC=%2"_s.arg(
                QString::number(*change.area), id));
            break;
        case MassKind::Address:
            db.execute(u"update Client set RG = %1 , GD = %2 , RN = %3 , NP = %4 , ST = %5 , "
                       u"DOM= %6 , KORP= %7 , USR= %8 where IDC=%9"_s.arg(
                           QString::number(change.RG), QString::number(change.GD),
                           QString::number(change.RN), QString::number(change.NP),
                           QString::number(change.ST), SqlText::quoted(change.house),
                           SqlText::quoted(change.building), QString::number(app.CurrentUserId),
                           id));
            break;
        }
        if (progress) {
            progress->setValue((i + 1) * 100 / total, 100);
            progress->processEvents();
        }
    }
    app.journal().HistZap(QStringLiteral("Client"), journalText, 0, 0);
    tx.commit();
    TEMPUpdate(app, progress);
    emit app.changes.subscribersChanged(0);
    return {};
}

} // namespace Clients
