#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QModelIndex>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFile;
class QProcess;
class QStringListModel;
class Ui_MainWin;
namespace DataSources {
struct TemplateChoice;
}
namespace LibraryFile {
struct Outcome;
}

// The panel's one window: composes and saves query plans, keeps the query
// engine's plan library and starts the three stream engines. The rules behind
// each action live in the composer, library and workspace folders as plain
// functions; the members here hold the window's state, read the widgets and
// turn what the rules report into boxes.
class MainWin : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWin(QWidget *parent = nullptr);
    ~MainWin() override;

signals:
    // The window's one signal and updateAllViews() are part of its
    // meta-object, which other programs may invoke; both do nothing.
    void sigUpdateAllViews();

public slots:
    void onListSelected(QModelIndex);
    void updateAllViews();
    void onSave();
    void onRefresh();
    void onRemove();
    void dataSourceSwitched(int index);
    void onRbtEvo(bool);
    void onRbtNoEvo();
    void onCBox(bool);
    void onLaunchClicked();

private:
    // Plan options (composer)
    void updateSaveFileName();

    // Save's steps (composer), in their order, each showing its own box when
    // it refuses; the library's steps come from the library folder.
    bool planNameAccepted();
    bool readPlanTemplate(const DataSources::TemplateChoice &choice);
    bool substituteParameters(const QString &templatePath);
    bool libraryLoaded();
    bool planPathFree();
    // The library text with the plan added, unless the library refuses it.
    std::optional<QByteArray> libraryTakesPlan();
    bool writeQueryPlan();
    void registerPlan(const QByteArray &library);

    // Library (library)
    void loadLibrary();
    // Writes the text over the library file and notes what it now holds.
    LibraryFile::Outcome writeLibraryFile(const QByteArray &text);

    std::unique_ptr<Ui_MainWin> ui;
    QProcess *sourceProcess; // children of the window; the newest launch
    QProcess *visualProcess;
    QProcess *queryProcess;
    QStringList planNames;
    std::unique_ptr<QFile> configFile;
    std::unique_ptr<QFile> planFile;
    QByteArray configText;
    // The bytes last read from or written to the library file. configText
    // runs ahead of them after a failed write, so it cannot tell whether
    // anything else has written the file since.
    QByteArray libraryOnDisk;
    QByteArray planText;
    std::unique_ptr<QStringListModel> planModel; // null while no library is loaded
    int countStart = -1;
    // Kept because the window's members are fixed: countEnd is only set by the
    // load, and planCount, always the number of names, is read only for the log.
    int countEnd = -1;
    int planCount = 0;
    QString sourceName;
    QString sourceRef;
    QString schemaId;
    QString planName;
    bool withSum;
    bool withEvo;
};
