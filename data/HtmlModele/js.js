// Scripts shared by the pages of an exported site: windows, rollovers and the
// shopping cart. The export puts the cart's settings (sendto, faxto, colpari,
// coldisp, ismail, rmk) above this text.

var TolvaneC_bname = navigator.appName;
var TolvaneC_bver = parseFloat(navigator.appVersion);
var TolvaneC_SensOk = 'true';

// A window for newURL named newName; the calling window takes the name orgName
// so that the new one can send pages back to it.
function TolvaneF_open(newURL, newName, newFeatures, orgName) {
  var remote = window.open(newURL, newName, newFeatures || '');
  if (remote) {
    if (remote.opener == null) remote.opener = window;
    if (orgName) window.name = orgName;
    remote.focus();
  }
  return remote;
}

// newURL in a browser window of its own.
function TolvaneF_openB(newURL) {
  return window.open(newURL);
}

// Closes the window named finName, or this one when it is that window.
function TolvaneF_close(finName) {
  if (!finName || window.name == finName) { window.close(); return; }
  var w = window.open('', finName);
  if (w) w.close();
}

// Shows the picture ref in the image named img (rollovers).
function TolvaneF_over(img, ref) {
  var target = document.images[img];
  if (target) target.src = ref;
}

// ---- the shopping cart, kept in the browser between pages

var TolvaneC_cartKey = 'tolvane-cart';
var TolvaneC_cartMemory = [];

function TolvaneF_cartLoad() {
  try {
    var text = window.localStorage.getItem(TolvaneC_cartKey);
    return text ? JSON.parse(text) : [];
  } catch (e) {
    return TolvaneC_cartMemory;
  }
}

function TolvaneF_cartSave(items) {
  TolvaneC_cartMemory = items;
  try { window.localStorage.setItem(TolvaneC_cartKey, JSON.stringify(items)); } catch (e) {}
}

function TolvaneF_escape(text) {
  return String(text).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
}

// Adds one article (or one more of it) and shows the cart.
function MyAddAndShowCart(code, price, currency, description, evenColour, oddColour) {
  var items = TolvaneF_cartLoad();
  var found = false;
  for (var i = 0; i < items.length; i++) {
    if (items[i].code == code) { items[i].quantity += 1; found = true; }
  }
  if (!found) items.push({code: code, price: parseFloat(price) || 0, currency: currency, description: description, quantity: 1});
  TolvaneF_cartSave(items);
  MyShowCart(evenColour, oddColour);
}

function MyRemoveFromCart(code) {
  var items = TolvaneF_cartLoad();
  var kept = [];
  for (var i = 0; i < items.length; i++) if (items[i].code != code) kept.push(items[i]);
  TolvaneF_cartSave(kept);
}

function MyEmptyCart() { TolvaneF_cartSave([]); }

// The order as text, for the mail or the fax.
function MyCartText() {
  var items = TolvaneF_cartLoad();
  var lines = [];
  var total = 0;
  for (var i = 0; i < items.length; i++) {
    var it = items[i];
    lines.push(it.quantity + ' x ' + it.code + ' ' + it.description + ' : ' + (it.price * it.quantity).toFixed(2) + ' ' + it.currency);
    total += it.price * it.quantity;
  }
  lines.push('Total : ' + total.toFixed(2) + (items.length ? ' ' + items[0].currency : ''));
  return lines.join('\n');
}

function MyShowCart(evenColour, oddColour) {
  var items = TolvaneF_cartLoad();
  var w = window.open('', 'tolvanecart', 'width=520,height=420,resizable=1,scrollbars=1');
  if (!w) return;
  var even = evenColour || (typeof colpari != 'undefined' ? colpari : '#FFF080');
  var odd = oddColour || (typeof coldisp != 'undefined' ? coldisp : '#FFE080');
  var html = '<html><head><title>Panier</title></head><body><h2>Panier</h2><table width="100%" cellspacing="0">';
  var total = 0;
  for (var i = 0; i < items.length; i++) {
    var it = items[i];
    total += it.price * it.quantity;
    html += '<tr style="background:' + (i % 2 ? odd : even) + '"><td>' + TolvaneF_escape(it.code) + '</td><td>' +
            TolvaneF_escape(it.description) + '</td><td align="right">' + it.quantity + '</td><td align="right">' +
            (it.price * it.quantity).toFixed(2) + ' ' + TolvaneF_escape(it.currency) + '</td></tr>';
  }
  html += '<tr><td colspan="3"><b>Total</b></td><td align="right"><b>' + total.toFixed(2) + '</b></td></tr></table>';
  if (typeof rmk != 'undefined' && rmk) html += '<p>' + TolvaneF_escape(rmk) + '</p>';
  html += '<p><button onclick="opener.MySendCart();">Commander</button> ' +
          '<button onclick="opener.MyEmptyCart(); window.close();">Vider</button> ' +
          '<button onclick="window.close();">Fermer</button></p></body></html>';
  w.document.open();
  w.document.write(html);
  w.document.close();
  w.focus();
}

// Sends the order by mail when the site gives an address.
function MySendCart() {
  if (typeof ismail != 'undefined' && ismail && typeof sendto != 'undefined') {
    window.location.href = sendto + '?subject=' + encodeURIComponent('Commande') + '&body=' + encodeURIComponent(MyCartText());
  } else {
    window.alert(MyCartText());
  }
}
//###custom###
