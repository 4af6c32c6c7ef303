#pragma once

#include <QString>

// The column types of the Jet schema, as the program's statements name them.
enum class JetType { Unknown, Long, Float, Text, Date, YesNo };

struct JetColumnType {
    JetType type = JetType::Unknown;
    int length = 0; // maximum characters of a text column; 0 = unlimited

    bool operator==(const JetColumnType&) const = default;
};

// Russian name of a type for messages ("число", "дата", …).
QString jetTypeDescription(JetType type);
