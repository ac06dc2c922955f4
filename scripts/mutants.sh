#!/usr/bin/env bash
# Plants faults a user would feel, one at a time, and checks that the tests
# catch each: the file is edited with sed, the named target built, the named
# tests run (they must fail), and the file restored, whatever happens.
#
#   scripts/mutants.sh            every fault of the table
#   scripts/mutants.sh NAME...    only those
#   scripts/mutants.sh --list     the names
#
# BUILD (default: build) is the build folder, configured with
# -DMORVANEX_BUILD_TESTS=ON. Builds and test runs take the shared lock
# /tmp/mvx-build.lock, as every build on the machine does.
#
# A table line: name | file | sed expression | target | ctest -R pattern
# (fields apart by " | "; an expression may hold "||").
# A new test earns its place by a line here that it kills.
set -u
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
LOCK=/tmp/mvx-build.lock

read -r -d '' TABLE <<'EOF'
encrypt-runs-decrypt | src/ui/main/CTessaryDlg.cpp | s/"actionEncryption", &CTessaryDlg::encrypt)/"actionEncryption", \&CTessaryDlg::decrypt)/ | mvx_command_table_tests | ^CommandTableTest$
toolbar-logs-unwired | src/ui/main/CTessaryDlg.cpp | s/return CTessaryDlg::CmdShowFileLogs;/return CTessaryDlg::CmdForwardFile;/ | mvx_command_table_tests | ^CommandTableTest$
context-menu-drops-delete | src/ui/main/CTessaryDlg.cpp | s/action(CmdDecryptSelected), action(CmdDeleteSelected),/action(CmdDecryptSelected),/ | mvx_command_table_tests | ^CommandTableTest$
menu-shortcut-lost | src/ui/main/CTessaryDlg.cpp | s/action->setShortcut(QKeySequence(full.mid(tab + 1)));/(void)0;/ | mvx_command_table_tests | ^CommandTableTest$
mini-barcode-opens-list | src/ui/main/CTessaryDialogMini.cpp | s/connect(qrCode_, &QPushButton::clicked, main_.action(CTessaryDlg::CmdShowQrCode)/connect(qrCode_, \&QPushButton::clicked, main_.action(CTessaryDlg::CmdKeyChainList)/ | mvx_command_table_tests | ^CommandTableTest$
list-move-and-delete-swapped | src/ui/keys/CKeyChainList.cpp | s/{"move", &CKeyChainList::move},/{"move", \&CKeyChainList::remove},/ | mvx_command_table_tests | ^CommandTableTest$
mini-relabel-skips-menu-button | src/ui/main/CTessaryDialogMini.cpp | s/    menu_->setText(t(Msg::MenuMain));/    if (menu_->text().isEmpty()) menu_->setText(t(Msg::MenuMain));/ | mvx_language_switch_tests | ^LanguageSwitchTest$
list-relabel-skips-menu | src/ui/keys/CKeyChainList.cpp | s/command->setText(t(slot));/if (command->text().isEmpty()) command->setText(t(slot));/ | mvx_language_switch_tests | ^LanguageSwitchTest$
output-renamed-unflushed | src/workbench/OutputGuard.cpp | s/(!contentFlushed && !flushFile(temporary_)) || // | mvx_workbench_tests | ^DurableOrderTest\.
flush-claims-success | src/platform/FileIo.cpp | s/return fd.valid() && ::fsync(fd.get()) == 0 && fd.close();/return true;/ | mvx_workbench_tests | ^DurableOrderTest\.
plain-deleted-before-folder-flush | src/workbench/EncryptBatch.cpp | s/^    folderFlushes_.flushAll();  \/\/ before any plain file goes$/    \/\/ no flush here/ | mvx_workbench_tests | ^DurableOrderTest\.
key-root-prefix-taken-for-inside | src/app/OptionsRules.cpp | s/const std::string x = withSlash(a);/const std::string x = withoutSlash(a);/ | mvx_app_tests | ^OptionsRulesTest\.
ahead-adopts-changed-plain | src/workbench/EncryptionAhead.cpp | s/        FileStamp::of(plainPath) != prepared->plainStamp)$/        false)/ | mvx_workbench_tests | ^EngineBatchTest\.AContainerMadeAhead
option-use-timer-not-taken | src/app/OptionsRules.cpp | s/    s.useTimer = v.useTimer;/    (void)0;/ | mvx_options_round_trip_tests | ^OptionsRoundTripTest$
klx-keep-not-followed | src/workbench/BatchContext.cpp | s/    values.klxKeep = settings.klxKeep != 0;/    values.klxKeep = false;/ | mvx_options_round_trip_tests | ^OptionsRoundTripTest$
delete-after-decryption-not-followed | src/workbench/BatchContext.cpp | s/    values.deleteCheck2 = settings.deleteCheck2 != 0;/    values.deleteCheck2 = false;/ | mvx_options_round_trip_tests | ^OptionsRoundTripTest$
switch-history-served-as-forward | src/ui/app/QtAppFrame.cpp | s/        if (kind == Switch::History)$/        if (kind != Switch::History)/ | mvx_start_switches_tests | ^StartSwitchesTest$
file-manager-passes-first-file | src/app/ContextMenuEntries.cpp | s/\\"\$@\\"/\\"$1\\"/ | mvx_app_tests | ^ContextMenuEntriesTest\.
cli-progress-over-question | src/cli/TerminalLine.cpp | s/    if (lineOpen_) {/    if (false) {/ | mvx_cli_tests | ^CliScriptUse\.AQuestionIsNever
cli-delete-not-done-exit-0 | src/cli/CryptCommands.cpp | s/    const bool deletionsDone = !dialog.deletePlainFiles || /    const bool deletionsDone = true || / | mvx_cli_tests | ^CliScriptUse\.ExitOne
cli-opens-without-open | src/cli/CryptCommands.cpp | s/setOpensFile(parsed.has("--open"))/setOpensFile(true)/ | mvx_cli_tests | ^CliScriptUse\.AnUnknownSendersFileIsNotOpenedWithoutOpen
save-dialog-asks-overwrite | src/ui/shared/QtInteraction.cpp | s/QFileDialog::DontConfirmOverwrite));/QFileDialog::Options()));/ | mvx_save_dialog_tests | ^SaveDialogTest$
barcode-zoom-unwired | src/ui/containers/CQrcodeViewDlg.cpp | s/    connect(zoom_, &QComboBox::currentIndexChanged, this, &CQrcodeViewDlg::showPicture);/    (void)0;/ | mvx_command_table_tests | ^CommandTableTest$
second-start-path-refused | src/app/CommandLine.cpp | s/    return takesFiles() || argumentCount == 1;/    return takesFiles();/ | mvx_instance_tests | ^SingleInstanceTest\.ASecondPlain
cli-progress-frozen-within-file | src/workbench/ProgressFileCrypto.cpp | s/    progress_.startFile(outputPath);/    progress_.startFile({});/ | mvx_cli_tests | ^CliScriptUse\.TheProgressLineAdvancesWithinAFile
number-field-cuts-its-hint | src/ui/containers/TimeLimitBox.cpp | s/    fitHint(number_);/    number_->setMaximumWidth(60);/ | mvx_window_checks_tests | ^WindowChecksTest$
list-column-cuts-its-cells | src/ui/keys/CKeyChainList.cpp | s/    entries_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);/    (void)0;/ | mvx_window_checks_tests | ^WindowChecksTest$
window-past-the-screen | src/ui/keys/CKeyChainList.cpp | s/    resize(1040, 760);/    resize(1040, 900);/ | mvx_window_checks_tests | ^WindowChecksTest$
window-never-painted | src/ui/keys/COutdatedAuthKeyReportDlg.cpp | s/    resize(560, 300);/    resize(560, 300); setUpdatesEnabled(false);/ | mvx_window_checks_tests | ^WindowChecksTest$
file-list-unnamed | src/ui/main/FilePaneView.cpp | s/    list_->setAccessibleName(q(Msg::FilesOfFolderName));/    (void)0;/ | mvx_window_checks_tests | ^WindowChecksTest$
mail-form-traps-tab | src/ui/service/CVelquinSendDlg.cpp | s/    addresses_->setTabChangesFocus(true);/    (void)0;/ | mvx_window_checks_tests | ^WindowChecksTest$
key-choice-without-default | src/ui/keys/CKeyChain.cpp | s/    ok_->setDefault(true);/    (void)0;/ | mvx_window_checks_tests | ^WindowChecksTest$
EOF

# One table line as five lines, the fields trimmed.
fields() { awk -F ' [|] ' '{ for (i = 1; i <= NF; ++i) { gsub(/^ +| +$/, "", $i); print $i } }' <<<"$1"; }

if [[ ${1:-} == --list ]]; then
    while IFS= read -r line; do fields "$line" | head -1; done <<<"$TABLE"
    exit 0
fi

survived=0
built=()
while IFS= read -r line; do
    { read -r name; read -r file; read -r expr; read -r target; read -r pattern; } < <(fields "$line")
    if [[ $# -gt 0 ]] && ! printf '%s\n' "$@" | grep -qx "$name"; then
        continue
    fi
    backup=$(mktemp)
    cp "$file" "$backup"
    trap 'cp "$backup" "$file"; rm -f "$backup"; exit 130' INT TERM
    sed -i "$expr" "$file"
    if cmp -s "$file" "$backup"; then
        echo "$name: the edit changed nothing in $file (the table is out of date)"
        survived=$((survived + 1))
    elif ! flock "$LOCK" cmake --build "$BUILD" -j2 --target "$target" >"/tmp/mutant-$name.log" 2>&1; then
        echo "$name: does not build (see /tmp/mutant-$name.log)"
    elif flock "$LOCK" ctest --test-dir "$BUILD" -R "$pattern" >>"/tmp/mutant-$name.log" 2>&1; then
        echo "$name: SURVIVED, no test failed ($pattern)"
        survived=$((survived + 1))
    else
        echo "$name: caught"
    fi
    cp "$backup" "$file"
    rm -f "$backup"
    trap - INT TERM
    built+=("$target")
done <<<"$TABLE"

# The restored sources built again, so the build folder matches the tree.
if [[ ${#built[@]} -gt 0 ]]; then
    flock "$LOCK" cmake --build "$BUILD" -j2 --target $(printf '%s\n' "${built[@]}" | sort -u) >/dev/null 2>&1 ||
        echo "the restored tree does not build"
fi
exit $((survived > 0))
