#pragma once

#include "workbench/AddressList.h"
#include "workbench/CandidateList.h"

#include <QIcon>

namespace mvx::ui {

// The icons of the destination rows: folder, the way back up, an
// authenticated key and a plain public key.
QIcon candidateIcon(const CandidateList::Item& item);
QIcon addressIcon(AddressRow::Kind kind);

} // namespace mvx::ui
