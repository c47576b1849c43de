#pragma once

namespace base {

class Object;
class Factory;
class WeakLink;
template<typename T> class Ref;
template<typename T> class WeakRef;
class Value;
class Array;
class Dictionary;
struct Date;
class Exception;

}
