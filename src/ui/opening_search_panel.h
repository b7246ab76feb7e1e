// SPDX-License-Identifier: GPL-3.0-or-later
// 找到片头位置, beside the opening clip in the files menu: the clip's sound
// looked for in an episode's first minutes, off the window's thread with
// the progress on the status line; the span found is shown and, on Yes,
// cut from the listed files by the run over the file list in cut mode.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "media/opening_search.h"

class QAction;
class QWidget;

namespace orvane::ui {

class Dialogs;
class OptionsPanel;
class RunPresenter;
struct Form1View;

class OpeningSearchPanel : public QObject {
    Q_OBJECT
public:
    using Finder = std::function<media::OpeningFound(const media::OpeningSearch& search,
                                                     const media::AudioProgress& progress,
                                                     const std::atomic<bool>* stop)>;
    struct Rooms {
        OptionsPanel* options = nullptr;
        RunPresenter* run = nullptr;
    };
    // Adds its item, MenuFindHead, after 指定片头 in the files menu.
    OpeningSearchPanel(Form1View& view, Dialogs& dialogs, QWidget* owner, Rooms rooms);
    ~OpeningSearchPanel() override;  // stops a search under way and waits for it

    // The search itself; media::FindOpening unless replaced.
    void SetFinder(Finder finder) { finder_ = std::move(finder); }
    bool IsSearching() const { return searching_; }
    // The menu item: checks there is a clip and a list, asks for the episode
    // and starts the search.
    void Search();

signals:
    void statusChanged(const QString& text);

private:
    void OnFound(const media::OpeningFound& found, const QString& episodeName);

    Form1View& view_;
    Dialogs& dialogs_;
    QWidget* owner_;
    Rooms rooms_;
    Finder finder_;
    QAction* menuFind_ = nullptr;
    QString lastDir_;
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    bool searching_ = false;
};

}  // namespace orvane::ui
