#pragma once

#include <QWizard>
#include <QWizardPage>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace mvx {
class AppSession;
class KeySetWizardFlow;
}

namespace mvx::ui {

// Runs the key-set wizard (asking for the key root first when none is set);
// true when a new key set was made and the session now uses it.
bool runKeySetWizard(QWidget* parent, AppSession& session);

// Page 1: what a key set is, and that a new one cannot open old files.
class CKeygenWizard1 : public QWizardPage {
    Q_OBJECT
public:
    CKeygenWizard1(AppSession& session, QWidget* parent = nullptr);
};

// Page 2: the key set's name; Next checks it.
class CKeygenWizard2 : public QWizardPage {
    Q_OBJECT
public:
    CKeygenWizard2(AppSession& session, KeySetWizardFlow& flow, QWidget* parent = nullptr);
    bool validatePage() override;
    QString name() const;

private:
    KeySetWizardFlow& flow_;
    QLineEdit* name_;
};

// Page 3: the owner's name and mail address.
class CKeygenWizard3 : public QWizardPage {
    Q_OBJECT
public:
    CKeygenWizard3(AppSession& session, QWidget* parent = nullptr);
    QString userName() const;
    QString mail() const;

private:
    QLineEdit* userName_;
    QLineEdit* mail_;
};

// Page 4: the files that will be made; Finish makes them.
class CKeygenWizard4 : public QWizardPage {
    Q_OBJECT
public:
    CKeygenWizard4(AppSession& session, KeySetWizardFlow& flow, QWidget* parent = nullptr);
    void initializePage() override;
    bool validatePage() override;

private:
    KeySetWizardFlow& flow_;
    QLabel* summary_;
    QCheckBox* useBackup_;
};

// "Key Creation Wizard": the four pages above.
class CKeygenWizard : public QWizard {
    Q_OBJECT
public:
    CKeygenWizard(AppSession& session, KeySetWizardFlow& flow, QWidget* parent = nullptr);

    CKeygenWizard2* namePage() const { return namePage_; }
    CKeygenWizard3* ownerPage() const { return ownerPage_; }

private:
    CKeygenWizard2* namePage_;
    CKeygenWizard3* ownerPage_;
};

} // namespace mvx::ui
