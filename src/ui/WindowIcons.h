#pragma once

#include "workbench/AddressList.h"
#include "workbench/CandidateList.h"

#include <QIcon>

namespace mvx::ui {

// The icons of the destination rows: folder, the way back up, an
// authenticated key and a plain public key.
QIcon candidateIcon(const CandidateList::Item& item);
QIcon addressIcon(AddressRow::Kind kind);

// The mini window's buttons: the desktop theme's icon where one fits, else
// one drawn here, so the destination list and the barcode never look alike.
enum class MiniIcon { Encrypt, Barcode, DestinationList, MainWindow };
QIcon miniWindowIcon(MiniIcon kind);

} // namespace mvx::ui
