#pragma once

#include "workbench/AddressList.h"
#include "workbench/CandidateList.h"

#include <QIcon>
#include <QStyle>
#include <QTreeWidgetItem>

namespace mvx::ui {

// The icons of the list rows. Each is made once and shared by every row that
// shows it: decoding an icon per row made large folders freeze the window.
QIcon candidateIcon(const CandidateList::Item& item);
QIcon addressIcon(AddressRow::Kind kind);

enum class FileKind { Folder, Container, Other };
QIcon fileIcon(FileKind kind);
// The style's icon, made on the first call.
QIcon sharedStandardIcon(QStyle::StandardPixmap pixmap);

// A destination row of the candidate and address lists with its icon.
QTreeWidgetItem* candidateRow(const CandidateList::Item& item, const QStringList& texts);
QTreeWidgetItem* addressRow(const AddressRow& address, const QStringList& texts);

// The mini window's buttons: the desktop theme's icon where one fits, else
// one drawn here, so the destination list and the barcode never look alike.
enum class MiniIcon { Encrypt, Barcode, DestinationList, MainWindow };
QIcon miniWindowIcon(MiniIcon kind);

} // namespace mvx::ui
