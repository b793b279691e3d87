#include "webengine/script_prelude.h"

namespace webengine {

// ES5 only: it runs in duktape. Called with the native calls (N), the global object (G) and the
// table where the host finds the entry points it calls (H).
const char kScriptPrelude[] = R"js((function (N, G, H) {
'use strict';
var listeners = {};
var handlers = {};
var attrHandlers = {};
var timerFns = {};
var slice = Array.prototype.slice;

function def(o, name, get, set) {
  Object.defineProperty(o, name, {get: get, set: set, configurable: true, enumerable: true});
}
function str(v) { return v === undefined || v === null ? '' : String(v); }

var NodeProto = {};
var CharProto = Object.create(NodeProto);
var ElementProto = Object.create(NodeProto);
var TextProto = Object.create(CharProto);
var CommentProto = Object.create(CharProto);
var DocumentProto = Object.create(NodeProto);
N.setPrototypes(ElementProto, TextProto, CommentProto, DocumentProto);

function Node() { throw new TypeError('Illegal constructor'); }
Node.prototype = NodeProto;
function Element() { throw new TypeError('Illegal constructor'); }
Element.prototype = ElementProto;
function HTMLElement() { throw new TypeError('Illegal constructor'); }
HTMLElement.prototype = ElementProto;
function Text() { throw new TypeError('Illegal constructor'); }
Text.prototype = TextProto;
function Document() { throw new TypeError('Illegal constructor'); }
Document.prototype = DocumentProto;
G.Node = Node; G.Element = Element; G.HTMLElement = HTMLElement; G.Text = Text;
G.Document = Document;

var consts = {ELEMENT_NODE: 1, TEXT_NODE: 3, COMMENT_NODE: 8, DOCUMENT_NODE: 9};
for (var c in consts) { NodeProto[c] = consts[c]; Node[c] = consts[c]; }

def(NodeProto, 'nodeType', function () { return N.type(this); });
def(NodeProto, 'nodeName', function () {
  var t = N.type(this);
  if (t === 1) return N.tag(this).toUpperCase();
  return t === 3 ? '#text' : t === 8 ? '#comment' : '#document';
});
def(NodeProto, 'parentNode', function () { return N.parent(this); });
def(NodeProto, 'parentElement', function () {
  var p = N.parent(this);
  return p && N.type(p) === 1 ? p : null;
});
def(NodeProto, 'childNodes', function () { return N.children(this, false); });
def(NodeProto, 'firstChild', function () { return N.child(this, 0, false); });
def(NodeProto, 'lastChild', function () { return N.child(this, -1, false); });
def(NodeProto, 'nextSibling', function () { return N.sibling(this, 1, false); });
def(NodeProto, 'previousSibling', function () { return N.sibling(this, -1, false); });
def(NodeProto, 'textContent', function () { return N.type(this) === 9 ? null : N.text(this); },
    function (v) { if (N.type(this) !== 9) N.setText(this, str(v)); });
def(NodeProto, 'nodeValue', function () { var t = N.type(this); return t === 3 || t === 8 ? N.text(this) : null; },
    function (v) { var t = N.type(this); if (t === 3 || t === 8) N.setText(this, str(v)); });
def(NodeProto, 'ownerDocument', function () { return N.type(this) === 9 ? null : G.document; });
def(NodeProto, 'isConnected', function () { return N.connected(this); });
NodeProto.appendChild = function (c) { N.insert(this, c, null); return c; };
NodeProto.insertBefore = function (c, ref) { N.insert(this, c, ref || null); return c; };
NodeProto.removeChild = function (c) { N.remove(this, c); return c; };
NodeProto.replaceChild = function (n, o) {
  if (n === o) return o;
  N.insert(this, n, o);
  N.remove(this, o);
  return o;
};
NodeProto.contains = function (o) { return o ? N.contains(this, o) : false; };
NodeProto.hasChildNodes = function () { return N.child(this, 0, false) !== null; };
NodeProto.cloneNode = function (deep) { return N.clone(this, !!deep); };
NodeProto.isSameNode = function (o) { return this === o; };

def(CharProto, 'data', function () { return N.text(this); }, function (v) { N.setText(this, str(v)); });
def(CharProto, 'length', function () { return N.text(this).length; });
CharProto.remove = function () { var p = N.parent(this); if (p) N.remove(p, this); };

// Events
function Event(type, init) {
  if (arguments.length < 1) throw new TypeError('Event needs a type');
  init = init || {};
  this.type = String(type);
  this.bubbles = !!init.bubbles;
  this.cancelable = !!init.cancelable;
  this.defaultPrevented = false;
  this.target = null;
  this.currentTarget = null;
  this.eventPhase = 0;
  this.isTrusted = false;
  this.timeStamp = Date.now();
  this._stop = false;
  this._stopNow = false;
}
Event.NONE = 0; Event.CAPTURING_PHASE = 1; Event.AT_TARGET = 2; Event.BUBBLING_PHASE = 3;
Event.prototype.preventDefault = function () { if (this.cancelable) this.defaultPrevented = true; };
Event.prototype.stopPropagation = function () { this._stop = true; };
Event.prototype.stopImmediatePropagation = function () { this._stop = true; this._stopNow = true; };
def(Event.prototype, 'srcElement', function () { return this.target; });
def(Event.prototype, 'returnValue', function () { return !this.defaultPrevented; },
    function (v) { if (!v) this.preventDefault(); });
def(Event.prototype, 'cancelBubble', function () { return this._stop; },
    function (v) { if (v) this._stop = true; });
function subEvent(name, fields) {
  var E = function (type, init) {
    Event.call(this, type, init);
    init = init || {};
    for (var k in fields) this[k] = init[k] !== undefined ? init[k] : fields[k];
  };
  E.prototype = Object.create(Event.prototype);
  E.prototype.constructor = E;
  G[name] = E;
  return E;
}
var mouseFields = {clientX: 0, clientY: 0, screenX: 0, screenY: 0, pageX: 0, pageY: 0,
  offsetX: 0, offsetY: 0, x: 0, y: 0, button: 0, buttons: 0, detail: 0, ctrlKey: false,
  shiftKey: false, altKey: false, metaKey: false, relatedTarget: null, which: 0};
G.Event = Event;
subEvent('CustomEvent', {detail: null});
var MouseEvent = subEvent('MouseEvent', mouseFields);
var WheelEvent = subEvent('WheelEvent', (function () {
  var f = {}; for (var k in mouseFields) f[k] = mouseFields[k];
  f.deltaX = 0; f.deltaY = 0; f.deltaZ = 0; f.deltaMode = 0; f.wheelDelta = 0;
  return f;
})());
var KeyboardEvent = subEvent('KeyboardEvent', {key: '', code: '', keyCode: 0, charCode: 0,
  which: 0, ctrlKey: false, shiftKey: false, altKey: false, metaKey: false, repeat: false});
var FocusEvent = subEvent('FocusEvent', {relatedTarget: null});
subEvent('UIEvent', {detail: 0});

var WINDOW_ID = 'w';
function idOf(t) { return t === G ? WINDOW_ID : N.id(t); }

function addListener(target, type, fn, opts) {
  if (!fn) return;
  var capture = typeof opts === 'boolean' ? opts : !!(opts && opts.capture);
  var once = !!(opts && typeof opts === 'object' && opts.once);
  var id = idOf(target);
  var byType = listeners[id] || (listeners[id] = {});
  var list = byType[type] || (byType[type] = []);
  for (var i = 0; i < list.length; i++) {
    if (list[i].fn === fn && list[i].capture === capture) return;
  }
  list.push({fn: fn, capture: capture, once: once});
}
function removeListener(target, type, fn, opts) {
  var capture = typeof opts === 'boolean' ? opts : !!(opts && opts.capture);
  var byType = listeners[idOf(target)];
  var list = byType && byType[type];
  if (!list) return;
  for (var i = 0; i < list.length; i++) {
    if (list[i].fn === fn && list[i].capture === capture) { list.splice(i, 1); return; }
  }
}
NodeProto.addEventListener = function (type, fn, opts) { addListener(this, String(type), fn, opts); };
NodeProto.removeEventListener = function (type, fn, opts) { removeListener(this, String(type), fn, opts); };
NodeProto.dispatchEvent = function (ev) { return dispatch(this, ev); };
G.addEventListener = function (type, fn, opts) { addListener(G, String(type), fn, opts); };
G.removeEventListener = function (type, fn, opts) { removeListener(G, String(type), fn, opts); };
G.dispatchEvent = function (ev) { return dispatch(G, ev); };

function attributeHandler(target, id, type) {
  var holder = target;
  if (target === G) {
    // <body onload="..."> and friends stand for the window's handlers.
    holder = G.document.body;
    if (!holder) return null;
    id = N.id(holder);
  } else if (N.type(target) !== 1) {
    return null;
  }
  var code = N.getAttr(holder, 'on' + type);
  if (code === null) return null;
  var byType = attrHandlers[id] || (attrHandlers[id] = {});
  var cached = byType[type];
  if (cached && cached.code === code) return cached.fn;
  var fn = null;
  try {
    fn = new Function('event', code);
  } catch (e) {
    N.report(e, 'on' + type + ' attribute');
  }
  byType[type] = {code: code, fn: fn};
  return fn;
}
function handlerFor(target, id, type) {
  var own = handlers[id];
  if (own && own.hasOwnProperty(type)) return own[type];
  return attributeHandler(target, id, type);
}
function callListener(fn, node, ev) {
  try {
    if (typeof fn === 'function') return fn.call(node, ev);
    if (fn && typeof fn.handleEvent === 'function') return fn.handleEvent(ev);
  } catch (e) {
    N.report(e, ev.type + ' listener');
  }
}
function invoke(node, ev, phase) {
  var id = idOf(node);
  ev.currentTarget = node;
  ev.eventPhase = phase;
  if (phase !== 1) {
    var h = handlerFor(node, id, ev.type);
    if (typeof h === 'function') {
      var r = callListener(h, node, ev);
      if (r === false) ev.preventDefault();
      if (ev._stopNow) return;
    }
  }
  var byType = listeners[id];
  var list = byType && byType[ev.type];
  if (!list || !list.length) return;
  list = list.slice();
  for (var i = 0; i < list.length; i++) {
    var l = list[i];
    if (phase === 1 && !l.capture) continue;
    if (phase === 3 && l.capture) continue;
    if (l.once) removeListener(node, ev.type, l.fn, l.capture);
    callListener(l.fn, node, ev);
    if (ev._stopNow) return;
  }
}
function dispatch(target, ev) {
  if (!(ev instanceof Event)) throw new TypeError('dispatchEvent needs an Event');
  ev.target = target;
  ev._stop = false;
  ev._stopNow = false;
  var path = [];
  if (target !== G) {
    for (var n = N.parent(target); n; n = N.parent(n)) path.push(n);
    if (path.length && N.type(path[path.length - 1]) === 9) path.push(G);
  }
  for (var i = path.length - 1; i >= 0 && !ev._stop; i--) invoke(path[i], ev, 1);
  if (!ev._stop) invoke(target, ev, 2);
  if (ev.bubbles) {
    for (var j = 0; j < path.length && !ev._stop; j++) invoke(path[j], ev, 3);
  }
  ev.currentTarget = null;
  ev.eventPhase = 0;
  return !ev.defaultPrevented;
}

var handlerNames = ['click', 'dblclick', 'mousedown', 'mouseup', 'mousemove', 'mouseover',
  'mouseout', 'mouseenter', 'mouseleave', 'contextmenu', 'wheel', 'mousewheel', 'keydown',
  'keyup', 'keypress', 'focus', 'blur', 'load', 'unload', 'beforeunload', 'resize', 'scroll',
  'change', 'input', 'submit', 'error', 'select', 'DOMContentLoaded'];
function defineHandlers(o, isWindow) {
  handlerNames.forEach(function (type) {
    def(o, 'on' + type, function () {
      var own = handlers[isWindow ? WINDOW_ID : N.id(this)];
      return own && own.hasOwnProperty(type) ? own[type] : null;
    }, function (fn) {
      var id = isWindow ? WINDOW_ID : N.id(this);
      var own = handlers[id] || (handlers[id] = {});
      own[type] = typeof fn === 'function' ? fn : null;
    });
  });
}
defineHandlers(ElementProto, false);
defineHandlers(DocumentProto, false);
defineHandlers(G, true);

// Elements
def(ElementProto, 'tagName', function () { return N.tag(this).toUpperCase(); });
def(ElementProto, 'localName', function () { return N.tag(this); });
function reflect(name, attr) {
  def(ElementProto, name, function () { var v = N.getAttr(this, attr); return v === null ? '' : v; },
      function (v) { N.setAttr(this, attr, str(v)); });
}
reflect('id', 'id'); reflect('className', 'class'); reflect('title', 'title');
reflect('name', 'name'); reflect('src', 'src'); reflect('href', 'href'); reflect('alt', 'alt');
reflect('placeholder', 'placeholder'); reflect('lang', 'lang'); reflect('htmlFor', 'for');
def(ElementProto, 'type', function () {
  var v = N.getAttr(this, 'type');
  if (v !== null) return v.toLowerCase();
  var t = N.tag(this);
  return t === 'input' ? 'text' : t === 'button' ? 'submit' : '';
}, function (v) { N.setAttr(this, 'type', str(v)); });
function flag(name) {
  def(ElementProto, name, function () { return N.hasAttr(this, name); },
      function (v) { if (v) N.setAttr(this, name, ''); else N.removeAttr(this, name); });
}
flag('hidden'); flag('disabled'); flag('checked'); flag('readOnly'); flag('selected');
def(ElementProto, 'value', function () {
  if (N.tag(this) === 'textarea') return N.text(this);
  var v = N.getAttr(this, 'value');
  return v === null ? '' : v;
}, function (v) {
  if (N.tag(this) === 'textarea') N.setText(this, str(v)); else N.setAttr(this, 'value', str(v));
});
def(ElementProto, 'tabIndex', function () {
  var v = parseInt(N.getAttr(this, 'tabindex'), 10);
  if (!isNaN(v)) return v;
  return /^(a|button|input|select|textarea)$/.test(N.tag(this)) ? 0 : -1;
}, function (v) { N.setAttr(this, 'tabindex', String(v | 0)); });
ElementProto.getAttribute = function (n) { return N.getAttr(this, String(n)); };
ElementProto.setAttribute = function (n, v) { N.setAttr(this, String(n), String(v)); };
ElementProto.removeAttribute = function (n) { N.removeAttr(this, String(n)); };
ElementProto.hasAttribute = function (n) { return N.hasAttr(this, String(n)); };
ElementProto.toggleAttribute = function (n, force) {
  n = String(n);
  var has = N.hasAttr(this, n);
  var want = force === undefined ? !has : !!force;
  if (want && !has) N.setAttr(this, n, '');
  if (!want && has) N.removeAttr(this, n);
  return want;
};
ElementProto.hasAttributes = function () { return N.attrNames(this).length > 0; };
ElementProto.getAttributeNames = function () { return N.attrNames(this); };
def(ElementProto, 'attributes', function () {
  var el = this;
  return N.attrNames(el).map(function (n) { return {name: n, value: N.getAttr(el, n)}; });
});
def(ElementProto, 'innerHTML', function () { return N.innerHTML(this); },
    function (v) { N.setInnerHTML(this, str(v)); });
def(ElementProto, 'outerHTML', function () { return N.outerHTML(this); });
def(ElementProto, 'innerText', function () { return N.text(this); },
    function (v) { N.setText(this, str(v)); });
def(ElementProto, 'children', function () { return N.children(this, true); });
def(ElementProto, 'childElementCount', function () { return N.children(this, true).length; });
def(ElementProto, 'firstElementChild', function () { return N.child(this, 0, true); });
def(ElementProto, 'lastElementChild', function () { return N.child(this, -1, true); });
def(ElementProto, 'nextElementSibling', function () { return N.sibling(this, 1, true); });
def(ElementProto, 'previousElementSibling', function () { return N.sibling(this, -1, true); });
ElementProto.remove = function () { var p = N.parent(this); if (p) N.remove(p, this); };
ElementProto.matches = function (s) { return N.matches(this, String(s)); };
ElementProto.closest = function (s) {
  s = String(s);
  for (var n = this; n && N.type(n) === 1; n = N.parent(n)) if (N.matches(n, s)) return n;
  return null;
};
ElementProto.insertAdjacentHTML = function (where, html) {
  where = String(where).toLowerCase();
  var parent = N.parent(this);
  var into, ref;
  if (where === 'beforebegin') { into = parent; ref = this; }
  else if (where === 'afterbegin') { into = this; ref = N.child(this, 0, false); }
  else if (where === 'beforeend') { into = this; ref = null; }
  else if (where === 'afterend') { into = parent; ref = N.sibling(this, 1, false); }
  else throw new SyntaxError('insertAdjacentHTML: bad position ' + where);
  if (!into) return;
  var holder = G.document.createElement(N.tag(this) === 'tr' ? 'tbody' : 'div');
  N.setInnerHTML(holder, str(html));
  var nodes = N.children(holder, false);
  for (var i = 0; i < nodes.length; i++) N.insert(into, nodes[i], ref);
};
ElementProto.insertAdjacentElement = function (where, el) {
  var parent = N.parent(this);
  where = String(where).toLowerCase();
  if (where === 'beforebegin') { if (!parent) return null; N.insert(parent, el, this); }
  else if (where === 'afterbegin') N.insert(this, el, N.child(this, 0, false));
  else if (where === 'beforeend') N.insert(this, el, null);
  else if (where === 'afterend') { if (!parent) return null; N.insert(parent, el, N.sibling(this, 1, false)); }
  else throw new SyntaxError('insertAdjacentElement: bad position ' + where);
  return el;
};
function queries(o) {
  o.querySelector = function (s) { return N.query(this, String(s), false); };
  o.querySelectorAll = function (s) { return N.query(this, String(s), true); };
  o.getElementsByTagName = function (t) { return N.byTag(this, String(t)); };
  o.getElementsByClassName = function (c) { return N.byClass(this, String(c)); };
}
queries(ElementProto);
queries(DocumentProto);

function tokenList(el, attr) {
  function get() { var v = N.getAttr(el, attr); return v ? v.split(/\s+/).filter(function (x) { return x; }) : []; }
  function set(list) { N.setAttr(el, attr, list.join(' ')); }
  function check(t) {
    t = String(t);
    if (!t) throw new SyntaxError('The token is empty');
    if (/\s/.test(t)) throw new SyntaxError('The token has a space');
    return t;
  }
  var o = {
    add: function () {
      var l = get();
      for (var i = 0; i < arguments.length; i++) { var t = check(arguments[i]); if (l.indexOf(t) < 0) l.push(t); }
      set(l);
    },
    remove: function () {
      var l = get();
      for (var i = 0; i < arguments.length; i++) { var t = check(arguments[i]); l = l.filter(function (x) { return x !== t; }); }
      set(l);
    },
    contains: function (t) { return get().indexOf(String(t)) >= 0; },
    toggle: function (t, force) {
      t = check(t);
      var has = get().indexOf(t) >= 0;
      var want = force === undefined ? !has : !!force;
      if (want && !has) o.add(t);
      if (!want && has) o.remove(t);
      return want;
    },
    replace: function (a, b) {
      a = check(a); b = check(b);
      var l = get(), i = l.indexOf(a);
      if (i < 0) return false;
      l[i] = b; set(l); return true;
    },
    item: function (i) { var l = get(); return i >= 0 && i < l.length ? l[i] : null; },
    toString: function () { return str(N.getAttr(el, attr)); }
  };
  def(o, 'length', function () { return get().length; });
  def(o, 'value', function () { return str(N.getAttr(el, attr)); }, function (v) { N.setAttr(el, attr, str(v)); });
  return o;
}
def(ElementProto, 'classList', function () { return tokenList(this, 'class'); });

// Inline style: the "style" attribute seen as a list of declarations.
function splitDecls(text) {
  var out = [], cur = '', depth = 0, quote = '';
  for (var i = 0; i < text.length; i++) {
    var ch = text.charAt(i);
    if (quote) { cur += ch; if (ch === quote) quote = ''; continue; }
    if (ch === '"' || ch === "'") { quote = ch; cur += ch; continue; }
    if (ch === '(') depth++;
    if (ch === ')' && depth > 0) depth--;
    if (ch === ';' && depth === 0) { out.push(cur); cur = ''; continue; }
    cur += ch;
  }
  out.push(cur);
  var decls = [];
  out.forEach(function (d) {
    var c = d.indexOf(':');
    if (c < 0) return;
    var name = d.substring(0, c).trim().toLowerCase();
    var value = d.substring(c + 1).trim();
    if (name) decls.push([name, value]);
  });
  return decls;
}
function cssName(k) {
  if (k === 'cssFloat') return 'float';
  if (k.indexOf('-') >= 0) return k.toLowerCase();
  return k.replace(/[A-Z]/g, function (m) { return '-' + m.toLowerCase(); });
}
function getStyle(el, name) {
  var d = splitDecls(str(N.getAttr(el, 'style')));
  for (var i = d.length - 1; i >= 0; i--) if (d[i][0] === name) return d[i][1].replace(/\s*!important$/i, '');
  return '';
}
function setStyle(el, name, value) {
  value = value === null || value === undefined ? '' : String(value).trim();
  var d = splitDecls(str(N.getAttr(el, 'style')));
  var kept = d.filter(function (x) { return x[0] !== name; });
  if (value !== '') kept.push([name, value]);
  var text = kept.map(function (x) { return x[0] + ': ' + x[1] + ';'; }).join(' ');
  if (text === '' && !N.hasAttr(el, 'style')) return;
  N.setAttr(el, 'style', text);
}
function styleObject(el) {
  var methods = {
    setProperty: function (n, v) { setStyle(el, String(n).toLowerCase(), v); },
    getPropertyValue: function (n) { return getStyle(el, String(n).toLowerCase()); },
    removeProperty: function (n) { var old = getStyle(el, String(n).toLowerCase()); setStyle(el, String(n).toLowerCase(), ''); return old; },
    item: function (i) { var d = splitDecls(str(N.getAttr(el, 'style'))); return d[i] ? d[i][0] : ''; }
  };
  return new Proxy({}, {
    get: function (t, k) {
      if (typeof k !== 'string') return undefined;
      if (methods.hasOwnProperty(k)) return methods[k];
      if (k === 'cssText') return str(N.getAttr(el, 'style'));
      if (k === 'length') return splitDecls(str(N.getAttr(el, 'style'))).length;
      return getStyle(el, cssName(k));
    },
    set: function (t, k, v) {
      if (typeof k !== 'string') return true;
      if (k === 'cssText') N.setAttr(el, 'style', str(v));
      else setStyle(el, cssName(k), v);
      return true;
    },
    has: function (t, k) { return typeof k === 'string'; }
  });
}
def(ElementProto, 'style', function () { return styleObject(this); },
    function (v) { N.setAttr(this, 'style', str(v)); });
def(ElementProto, 'dataset', function () {
  var el = this;
  function attr(k) { return 'data-' + String(k).replace(/[A-Z]/g, function (m) { return '-' + m.toLowerCase(); }); }
  return new Proxy({}, {
    get: function (t, k) { if (typeof k !== 'string') return undefined; var v = N.getAttr(el, attr(k)); return v === null ? undefined : v; },
    set: function (t, k, v) { if (typeof k === 'string') N.setAttr(el, attr(k), str(v)); return true; },
    has: function (t, k) { return typeof k === 'string' && N.hasAttr(el, attr(k)); },
    deleteProperty: function (t, k) { if (typeof k === 'string') N.removeAttr(el, attr(k)); return true; }
  });
});

// Geometry (view coordinates), laid out on demand.
function rect(el) { var r = N.rect(el); return r || [0, 0, 0, 0]; }
ElementProto.getBoundingClientRect = function () {
  var r = rect(this), s = N.scroll();
  var x = r[0] - s[0], y = r[1] - s[1];
  return {x: x, y: y, left: x, top: y, width: r[2], height: r[3], right: x + r[2], bottom: y + r[3]};
};
ElementProto.getClientRects = function () { return [this.getBoundingClientRect()]; };
def(ElementProto, 'offsetWidth', function () { return rect(this)[2]; });
def(ElementProto, 'offsetHeight', function () { return rect(this)[3]; });
def(ElementProto, 'clientWidth', function () { return rect(this)[2]; });
def(ElementProto, 'clientHeight', function () { return rect(this)[3]; });
def(ElementProto, 'scrollWidth', function () { return rect(this)[2]; });
def(ElementProto, 'scrollHeight', function () { return rect(this)[3]; });
def(ElementProto, 'offsetLeft', function () { return rect(this)[0]; });
def(ElementProto, 'offsetTop', function () { return rect(this)[1]; });
def(ElementProto, 'offsetParent', function () { return G.document.body; });
def(ElementProto, 'scrollTop', function () { return 0; }, function () {});
def(ElementProto, 'scrollLeft', function () { return 0; }, function () {});
ElementProto.scrollIntoView = function () {
  var r = rect(this); N.scrollTo(r[0], r[1]);
};
ElementProto.focus = function () { N.focus(this); };
ElementProto.blur = function () { N.blur(this); };
ElementProto.click = function () {
  if (N.hasAttr(this, 'disabled')) return;
  var ev = new MouseEvent('click', {bubbles: true, cancelable: true, detail: 1});
  return dispatch(this, ev);
};

// Document
def(DocumentProto, 'documentElement', function () { return N.documentElement(); });
def(DocumentProto, 'head', function () { return N.head(); });
def(DocumentProto, 'body', function () { return N.body(); });
def(DocumentProto, 'title', function () { return N.title(); }, function (v) { N.setTitle(str(v)); });
def(DocumentProto, 'activeElement', function () { return N.activeElement() || N.body(); });
def(DocumentProto, 'readyState', function () { return H.readyState; });
def(DocumentProto, 'location', function () { return G.location; });
def(DocumentProto, 'URL', function () { return N.url(); });
def(DocumentProto, 'defaultView', function () { return G; });
def(DocumentProto, 'cookie', function () { return ''; }, function () {});
def(DocumentProto, 'children', function () { return N.children(this, true); });
DocumentProto.getElementById = function (id) { return N.byId(String(id)); };
DocumentProto.createElement = function (t) { return N.createElement(String(t)); };
DocumentProto.createTextNode = function (t) { return N.createText(str(t)); };
DocumentProto.createComment = function (t) { return N.createComment(str(t)); };
DocumentProto.createEvent = function () { return new Event('', {}); };
DocumentProto.hasFocus = function () { return N.hasFocus(); };
DocumentProto.write = DocumentProto.writeln = function () {
  N.log('warn', 'document.write is not supported');
};
Event.prototype.initEvent = function (type, bubbles, cancelable) {
  this.type = String(type); this.bubbles = !!bubbles; this.cancelable = !!cancelable;
};

// Window
G.window = G;
G.self = G;
G.top = G;
G.parent = G;
G.document = N.document();
G.location = {};
def(G.location, 'href', function () { return N.url(); }, function (v) { N.navigate(str(v)); });
def(G.location, 'protocol', function () { return 'file:'; });
def(G.location, 'hash', function () { return ''; });
def(G.location, 'search', function () { return ''; });
def(G.location, 'host', function () { return ''; });
def(G.location, 'hostname', function () { return ''; });
def(G.location, 'pathname', function () { return N.url().replace(/^file:\/\//, ''); });
G.location.assign = G.location.replace = function (u) { N.navigate(str(u)); };
G.location.reload = function () { N.navigate(N.url()); };
G.location.toString = function () { return N.url(); };
G.navigator = {userAgent: 'Mozilla/5.0 (Windows NT 10.0; Win64; x64) webengine/1.0',
  language: 'zh-CN', languages: ['zh-CN'], platform: 'Win32', cookieEnabled: false, onLine: true};
G.screen = {width: 1920, height: 1080, availWidth: 1920, availHeight: 1080, colorDepth: 32};
G.devicePixelRatio = 1;
def(G, 'innerWidth', function () { return N.viewSize()[0]; });
def(G, 'innerHeight', function () { return N.viewSize()[1]; });
def(G, 'scrollX', function () { return N.scroll()[0]; });
def(G, 'scrollY', function () { return N.scroll()[1]; });
def(G, 'pageXOffset', function () { return N.scroll()[0]; });
def(G, 'pageYOffset', function () { return N.scroll()[1]; });
G.scrollTo = G.scroll = function (x, y) {
  if (x && typeof x === 'object') { y = x.top; x = x.left; }
  var s = N.scroll();
  N.scrollTo(x === undefined ? s[0] : +x || 0, y === undefined ? s[1] : +y || 0);
};
G.scrollBy = function (x, y) {
  if (x && typeof x === 'object') { y = x.top; x = x.left; }
  var s = N.scroll();
  N.scrollTo(s[0] + (+x || 0), s[1] + (+y || 0));
};
G.getComputedStyle = function (el) { return styleObject(el); };
G.focus = function () {};
G.blur = function () {};
G.close = function () {};
G.open = function () { return null; };
G.print = function () {};
G.getSelection = function () { return {toString: function () { return ''; }, removeAllRanges: function () {}}; };

function fmt(args) {
  return slice.call(args).map(function (a) {
    if (typeof a === 'string') return a;
    if (a instanceof Error) return String(a.stack || a);
    if (a && typeof a === 'object') { try { return JSON.stringify(a); } catch (e) { return String(a); } }
    return String(a);
  }).join(' ');
}
G.console = {};
['log', 'info', 'warn', 'error', 'debug', 'trace'].forEach(function (level) {
  G.console[level] = function () { N.log(level, fmt(arguments)); };
});
G.console.assert = function (cond) { if (!cond) N.log('error', 'Assertion failed: ' + fmt(slice.call(arguments, 1))); };
G.console.dir = G.console.log;
G.alert = function (m) { N.log('alert', str(m)); };
G.confirm = function (m) { N.log('confirm', str(m)); return false; };
G.prompt = function (m) { N.log('prompt', str(m)); return null; };

function timer(repeat, args) {
  var fn = args[0];
  if (typeof fn !== 'function') {
    var code = str(fn);
    fn = function () { (0, eval)(code); };
  }
  var id = N.setTimer(+args[1] || 0, repeat);
  if (id > 0) timerFns[id] = {fn: fn, args: slice.call(args, 2)};
  return id;
}
G.setTimeout = function () { return timer(false, arguments); };
G.setInterval = function () { return timer(true, arguments); };
G.clearTimeout = G.clearInterval = function (id) {
  id = +id | 0;
  if (timerFns.hasOwnProperty(id)) { delete timerFns[id]; N.clearTimer(id); }
};
G.requestAnimationFrame = function (fn) {
  return G.setTimeout(function () { fn(Date.now()); }, 16);
};
G.cancelAnimationFrame = G.clearTimeout;

// Entry points of the host.
H.readyState = 'loading';
H.runTimer = function (id, repeat) {
  var t = timerFns[id];
  if (!t) return;
  if (!repeat) delete timerFns[id];
  t.fn.apply(G, t.args);
};
H.dispatch = function (target, init) {
  var E = init.wheel ? WheelEvent : init.mouse ? MouseEvent : init.keyboard ? KeyboardEvent :
      (init.type === 'focus' || init.type === 'blur') ? FocusEvent : Event;
  var ev = new E(init.type, init);
  ev.isTrusted = true;
  if (init.mouse) {
    var sc = N.scroll();
    ev.pageX = ev.clientX + sc[0];
    ev.pageY = ev.clientY + sc[1];
    ev.x = ev.clientX;
    ev.y = ev.clientY;
    ev.which = ev.button + 1;
    if (target && N.type(target) === 1) {
      var r = N.rect(target);
      if (r) { ev.offsetX = ev.pageX - r[0]; ev.offsetY = ev.pageY - r[1]; }
    }
  }
  if (init.keyboard) ev.which = ev.keyCode || ev.charCode;
  if (init.wheel) ev.wheelDelta = -ev.deltaY;
  return dispatch(target === null ? G : target, ev);
};
H.forget = function (ids) {
  for (var i = 0; i < ids.length; i++) {
    delete listeners[ids[i]];
    delete handlers[ids[i]];
    delete attrHandlers[ids[i]];
  }
};
})
)js";

}  // namespace webengine
