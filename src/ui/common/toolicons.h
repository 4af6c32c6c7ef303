#pragma once

#include <QIcon>

// The tool bar's pictures, drawn in colour so that a disabled command (greyed by Qt) looks
// plainly different from an enabled one.
namespace ToolIcons {
QIcon addClient();          // a card with a green plus
QIcon deleteClient();       // a card with a red cross
QIcon chargeDocument();     // a document with a blue plus
QIcon correctionDocument(); // a document with an orange plus-minus
QIcon paymentDocument();    // a document with a green rouble sign
} // namespace ToolIcons
