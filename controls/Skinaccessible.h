#pragma once

class QLabel;
class QString;

// Lets assistive technology read the skinned controls: page tabs as tabs, lamp rows as levels, and labels,
// a value label ("Lbl<name>") together with its caption ("Lb<name>" beside it). Safe to call more than once.
void InstallSkinAccessibility();
// The caption label of a value label, or null when it has none.
QLabel* CaptionOfValue(const QLabel* value);
// "Caption: value" as a screen reader says a value label; the caption's trailing colon is dropped.
QString CaptionAndValue(const QString& caption, const QString& value);
// Tells assistive technology that `label` now says something that went wrong: while it holds a text the label
// is an alert, and its showing is announced with an alert event, so that a screen reader speaks it wherever
// the focus is. An empty label is a plain label again.
void AnnounceAlert(QLabel* label);
// Tells assistive technology that `picture` only decorates (a caption's bullet): readers pass over it.
void MarkDecorative(QLabel* picture);
