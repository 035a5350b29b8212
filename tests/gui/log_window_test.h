// Fixture of the log-window tests: the program's windows, lines fed through the router.
#pragma once

#include <QAction>
#include <QByteArray>
#include <string>

#include "app/mainform.h"
#include "gui_test_support.h"
#include "sentence_text.h"

class LogWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        CreateForms();
        MainForm->show();
    }
    // A sentence body, checksummed, through the router.
    void Receive(const std::string &body) { MainForm->ReceiveData(QByteArray::fromStdString(Sentence(body) + "\r\n")); }
    void ReceiveRaw(const std::string &text) { MainForm->ReceiveData(QByteArray::fromStdString(text)); }
};
