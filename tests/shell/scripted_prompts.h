// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the editor's prompts from a script, so that no dialog appears.

#include <QDialog>
#include <QMessageBox>
#include <QUrl>
#include <deque>
#include <functional>

#include "shell/prompts.h"

class ScriptedPrompts : public PromptSeam {
public:
    ScriptedPrompts() : m_old(SetPromptSeam(this)) {}
    ~ScriptedPrompts() override { SetPromptSeam(m_old); }

    FileAnswer AskFile(QWidget*, const FileRequest& request) override {
        fileRequests.push_back(request);
        return Next(fileAnswers, FileAnswer{});
    }
    QString AskFolder(QWidget*, const QString&, const QString&) override {
        return Next(folderAnswers, QString());
    }
    int RunDialog(QDialog& dialog) override {
        ++dialogsRun;
        return onDialog ? onDialog(dialog) : int(QDialog::Rejected);
    }
    void ShowMessage(QWidget*, const QString&, const QString& text) override {
        messages.push_back(text);
    }

    int Ask(QWidget*, const QString&, const QString& text, int buttons,
            int defaultButton) override {
        questions.push_back(text);
        return Next(askAnswers,
                    (buttons & QMessageBox::Discard) ? int(QMessageBox::Discard) : defaultButton);
    }
    int AskChoice(QWidget*, const QString&, const QString& text, const QStringList& choices,
                  int) override {
        questions.push_back(text);
        lastChoices = choices;
        return Next(choiceAnswers, int(choices.size()) - 1);
    }
    int Choose(QWidget*, const QString&, const QString&, const QStringList& items) override {
        choices.push_back(items);
        return chooseAnswer;
    }
    void OpenUrl(const QUrl& url, const std::function<void(const QString&)>& failed) override {
        openedUrls.push_back(url);
        if (desktopOpens) PromptSeam::OpenUrl(url, failed);
    }

    void AnswerFile(const QString& path, int filterIndex) {
        fileAnswers.push_back({true, path, filterIndex});
    }

    std::deque<FileAnswer> fileAnswers;  // an empty queue cancels
    std::vector<FileRequest> fileRequests;
    std::deque<QString> folderAnswers;  // an empty queue cancels
    std::function<int(QDialog&)> onDialog;
    int dialogsRun = 0;
    QStringList messages;
    // QMessageBox buttons; an empty queue discards, or takes the default
    // button of a question that cannot discard.
    std::deque<int> askAnswers;
    QStringList questions;
    std::deque<int> choiceAnswers;  // indices; an empty queue takes the last choice
    QStringList lastChoices;
    int chooseAnswer = 0;
    bool desktopOpens = false;  // URLs go on to the desktop's opener too
    std::vector<QStringList> choices;
    QList<QUrl> openedUrls;

private:
    // The queue's next answer, or `fallback` once it is empty.
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        fallback = std::move(queue.front());
        queue.pop_front();
        return fallback;
    }
    PromptSeam* m_old;
};
