// Fixed texts and info-panel labels.
#pragma once
void bind_ui_texts();
void reset_labels();
