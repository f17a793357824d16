#include "app/download_controller.h"

#include "app/app_state.h"
#include "app/lcd_form.h"

namespace vornix::app {

struct DownloadController::Parts {};

DownloadController::DownloadController(LCDForm& form, AppState& state, Prompts& prompts)
    : m_form(form), m_state(state), m_prompts(prompts), m_parts(std::make_unique<Parts>()) {}

DownloadController::~DownloadController() = default;

void DownloadController::OpenCom() {}

void DownloadController::LoadLCD() {}

bool DownloadController::running() const {
    return false;
}

} // namespace vornix::app
