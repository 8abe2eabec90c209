#pragma once
// The program as it starts on a fresh store: fill the store first, then
// Start() builds the main window and the data module the way main() does.
// What the error box would show is collected in `errors`.

#include "../store/store_fixture.h"
#include "private_settings.h"
#include "app/data_module.h"
#include "core/error_box.h"
#include "ui/main_window.h"

#include <QStringList>
#include <memory>

class AppFixture {
public:
    AppFixture()
    {
        previousSink_ = SetErrorSink([this](const QString &text) { errors << text; });
    }
    ~AppFixture()
    {
        module.reset();
        window.reset();
        SetErrorSink(std::move(previousSink_));
    }

    void Start()
    {
        window = std::make_unique<TfrmMain>();
        module = std::make_unique<TdmMain>(*window);
    }

    PrivateSettings settings;
    StoreFixture store;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<TdmMain> module;
    QStringList errors;

private:
    ErrorSink previousSink_;
};
