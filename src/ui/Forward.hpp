#pragma once

namespace ui {

class Application;
class ApplicationDelegate;
class ApplicationRunner;
class Event;
class Responder;
class Screen;
class Touch;
class TouchScript;
class TouchSet;
class View;
class Window;

// Controllers and composite views.
class ActionSheet;
class AlertView;
class BarButtonItem;
class ButtonPanel;
class MailComposeViewController;
class MoviePlayerController;
class MoviePlayerViewController;
class NavigationBar;
class NavigationController;
class NavigationItem;
class ScrollView;
class TabBarController;
class TableView;
class TableViewCell;
class TableViewController;
class TextField;
class Toolbar;
class ViewController;
class WebView;

// Appearance, drawing, animations and controls.
class ActivityIndicatorView;
class Animator;
class BasicAnimation;
class Button;
class Color;
class Control;
class GraphicsContext;
class Image;
class ImageView;
class KeyframeAnimation;
class Label;
class Layer;
class LayerAnimation;
class ProgressView;
class SegmentedControl;
class Switch;
class TextLayout;
class TimingFunction;
class Transition;
struct EdgeInsets;

}
