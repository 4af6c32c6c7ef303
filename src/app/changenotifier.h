#pragma once

#include <QObject>

// What the core announces after a routine has committed, so that every window showing it
// refreshes itself; windows never call one another to pass such news on.
class ChangeNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // The register of subscribers changed: one subscriber (its id), or several (0): a card saved,
    // a new subscriber cancelled, a deletion, a mass change, a recalculated balance.
    void subscribersChanged(int clientId);
    // A subscriber's benefit holders changed.
    void benefitsChanged(int clientId);
    // A document was written or deleted (its id).
    void documentsChanged(int docId);
};
